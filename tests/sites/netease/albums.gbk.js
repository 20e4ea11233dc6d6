var g_a$1d2e3f = [{id:100001,name:'旅行',s:0,desc:'海边\r\n日落',st:1,au:0,count:3,t:1300000000000,curl:'12/photo/cover1.jpg',purl:'s1.ph.126.net/AbCdE/100001.js',dmt:0},
{id:100002,name:'空相册',s:0,desc:'',au:0,count:0,curl:'12/photo/cover2.jpg',purl:'s1.ph.126.net/AbCdE/100002.js',dmt:0},
{id:100003,name:'好友',s:0,desc:'朋友们',au:4,count:2,curl:'',purl:'',dmt:0},
{id:100004,name:'私密',s:0,desc:'',au:2,count:1,curl:'7/x.jpg',purl:'',dmt:0},
{id:100005,name:'问题',s:0,desc:'',au:8,count:4,curl:'',purl:'',dmt:0},
{id:100006,name:'加密',s:0,desc:'',au:16,count:2,curl:'3/photo/y.jpg',purl:'',dmt:0},
{id:100007,name:'搬家',s:0,desc:'',au:0,count:2,curl:'/photo/z.jpg',purl:'s1.ph.126.net/AbCdE/100007.js',dmt:0}];
