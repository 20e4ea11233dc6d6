//#DWR-INSERT
//#DWR-REPLY
var s0=[],s1={},s2={},s3={};s0[0]=s1;s0[1]=s2;s0[2]=s3;
s1.blogId=123456;s1.blogName="lanshan";s1.time=1400000300000;s1.title="\u6625\u5929";s1.permalink="1e2f_3a4b";s1.noticeLinkTitle="";s1.tag="";
s2.blogId=123456;s2.blogName="lanshan";s2.time=1400000200000;s2.title="";s2.permalink="1e2f_3a4c";s2.noticeLinkTitle="\u590f\u65e5\u6e38";s2.tag="";
s3.blogId=123456;s3.blogName="lanshan";s3.time=1400000100000;s3.title=null;s3.permalink="1e2f_3a4d";s3.noticeLinkTitle="\u79cb\u53f6";s3.tag="";
dwr.engine._remoteHandleCallback('1','0',s0);
