shine0_Callback({
   "code" : 0,
   "subcode" : 0,
   "message" : "",
   "data" : {
      "photoList" : [
         {
            "batchId" : "1001",
            "desc" : "  海边  ",
            "name" : "IMG_0001",
            "raw_upload" : 0,
            "raw" : "http:\/\/r.photo.store.qq.com\/psbe?\/V11aaa\/raw\/1.jpg",
            "origin_url" : "http:\/\/o.photo.store.qq.com\/psb?\/V11aaa\/o\/unused.jpg",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11aaa\/a\/1.jpg",
            "width" : 800
         },
         {
            "batchId" : "1002",
            "desc" : "日落",
            "name" : "  ",
            "raw_upload" : 1,
            "raw" : "",
            "origin_url" : "http:\/\/o.photo.store.qq.com\/psb?\/V11aaa\/o\/2.jpg",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11aaa\/a\/2.jpg",
            "width" : 800
         },
         {
            "batchId" : "1003",
            "desc" : "",
            "name" : "IMG_0003",
            "pre" : "http:\/\/b.photo.store.qq.com\/psb?\/V11aaa\/a\/3.jpg",
            "width" : 800
         }
      ],
      "totalInAlbum" : 5
   }
});
