shine0_Callback({
   "code" : 0,
   "subcode" : 0,
   "message" : "",
   "data" : {
      "photoList" : null,
      "totalInAlbum" : 0
   }
});
