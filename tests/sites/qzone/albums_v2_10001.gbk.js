_Callback(
{
   "code" : 0,
   "subcode" : 0,
   "data" : {
      "album" : [
         {
            "id" : "V11aaa",
            "name" : "¬√––",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11aaa\/a\/cover.jpg",
            "priv" : 1,
            "total" : 5,
            "viewtype" : 0
         },
         {
            "id" : "V11bbb",
            "name" : "ÀΩ»À",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11bbb\/a\/cover.jpg",
            "priv" : 3,
            "total" : 2,
            "viewtype" : 0
         },
         {
            "id" : "V11nnn",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11nnn\/a\/cover.jpg",
            "priv" : 1,
            "total" : 9,
            "viewtype" : 0
         },
         {
            "id" : "V11ccc",
            "name" : "≈Û”—",
            "priv" : 4,
            "total" : 0,
            "viewtype" : 0
         },
         {
            "id" : "V11ddd",
            "name" : "√‹¬Î",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11ddd\/a\/cover.jpg",
            "priv" : 5,
            "total" : 1,
            "viewtype" : 0
         }
      ]
   }
}
);
