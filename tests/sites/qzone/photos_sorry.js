shine0_Callback({
   "code" : -10805,
   "subcode" : -1,
   "message":"对不起，此相册已加密，请输入密码",
   "data" : {}
});
