var g_p$100001 = [{id:200001,s:1,ourl:'12/photo/o1.jpg',ow:1600,murl:'12/photo/m1.jpg',surl:'12/photo/s1.jpg',desc:'…≥Ã≤'},
{id:200002,s:1,ourl:'',murl:'5/m2.jpg',surl:'5/s2.jpg',desc:'¬‰»’'},
{id:200003,s:1,ourl:'',murl:'',surl:'/photo/s3.jpg',desc:''},
{id:200004,s:1,ourl:'',murl:'',surl:'',desc:'ŒﬁÕº'}];
