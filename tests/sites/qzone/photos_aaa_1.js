shine0_Callback({
   "code" : 0,
   "subcode" : 0,
   "message" : "",
   "data" : {
      "photoList" : [
         {
            "batchId" : "1004",
            "desc" : "",
            "name" : "IMG_0004",
            "raw_upload" : 0,
            "raw" : "http:\/\/r.photo.store.qq.com\/psbe?\/V11aaa\/raw\/4.jpg",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11aaa\/a\/4.jpg",
            "width" : 800
         },
         {
            "batchId" : "1005",
            "desc" : "",
            "name" : "IMG_0001",
            "raw_upload" : 0,
            "raw" : "",
            "origin_url" : "http:\/\/o.photo.store.qq.com\/psb?\/V11aaa\/o\/5.jpg",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11aaa\/a\/5.jpg",
            "width" : 800
         }
      ],
      "totalInAlbum" : 5
   }
});
