_Callback(
{
   "code" : -3000,
   "subcode" : -4001,
   "msg" : "对不起，主人设置了保密，您没有权限查看",
   "data" : {}
}
);
