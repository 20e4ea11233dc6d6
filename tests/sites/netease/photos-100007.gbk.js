var g_p$100007 = [{id:200071,ourl:'4/photo/n1.jpg',murl:'',surl:'',desc:'ÐÂ¼Ò'},
{id:200072,ourl:'4/photo/n2.jpg',murl:'',surl:'',desc:'¾É¾Ó'}];
