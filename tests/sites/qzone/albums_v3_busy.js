shine1_Callback({
   "code" : -10000,
   "msg" : "您的操作过于频繁，请稍后再试",
   "data" : {}
});
