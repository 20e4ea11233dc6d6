var g_p$100004 = [{id:200041,ourl:'9/photo/p1.jpg',murl:'',surl:'',desc:'»’º«'}];
