_Callback(
{
   "code" : 0,
   "subcode" : 0,
   "data" : {
      "album" : null
   }
}
);
