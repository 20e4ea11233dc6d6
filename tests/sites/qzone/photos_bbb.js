shine0_Callback({
   "code" : 0,
   "subcode" : 0,
   "message" : "",
   "data" : {
      "photoList" : [
         {
            "batchId" : "2001",
            "desc" : "",
            "name" : "IMG_0101",
            "raw" : "http:\/\/r.photo.store.qq.com\/psbe?\/V11bbb\/raw\/1.jpg",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11bbb\/a\/1.jpg",
            "width" : 800
         },
         {
            "batchId" : "2002",
            "desc" : "",
            "name" : "IMG_0102",
            "raw" : "http:\/\/r.photo.store.qq.com\/psbe?\/V11bbb\/raw\/2.jpg",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11bbb\/a\/2.jpg",
            "width" : 800
         }
      ],
      "totalInAlbum" : 5
   }
});
