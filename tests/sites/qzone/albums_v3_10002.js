shine1_Callback({
   "code" : 0,
   "data" : {
      "albumListModeSort" : [
         {
            "id" : "V13xyz",
            "name" : "毕业照",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V13xyz\/a\/cover.jpg",
            "priv" : 6,
            "total" : 12,
            "viewtype" : 0
         },
         {
            "id" : "V13uvw",
            "name" : "日常",
            "pre" : "",
            "priv" : 5,
            "total" : 1,
            "viewtype" : 0
         }
      ]
   }
});
