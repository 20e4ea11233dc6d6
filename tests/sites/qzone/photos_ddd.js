shine0_Callback({
   "code" : 0,
   "subcode" : 0,
   "message" : "",
   "data" : {
      "photoList" : [
         {
            "batchId" : "4001",
            "desc" : "",
            "name" : "IMG_0201",
            "raw" : "http:\/\/r.photo.store.qq.com\/psbe?\/V11ddd\/raw\/1.jpg",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11ddd\/a\/1.jpg",
            "width" : 800
         }
      ],
      "totalInAlbum" : 5
   }
});
