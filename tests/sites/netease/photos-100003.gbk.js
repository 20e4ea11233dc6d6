var g_p$100003 = [{id:200031,ourl:'8/photo/f1.jpg',murl:'',surl:'',desc:'æ€ª·'},
{id:200032,ourl:'8/photo/f2.jpg',murl:'',surl:'',desc:'∫œ”∞'}];
