//#DWR-INSERT
//#DWR-REPLY
var s0=[],s1={},s2={},s3={};s0[0]=s1;s0[1]=s2;s0[2]=s3;
s1.blogId=123456;s1.blogName="lanshan";s1.time=1400000100000;s1.title=null;s1.permalink="1e2f_3a4d";s1.noticeLinkTitle="\u79cb\u53f6";s1.tag="";
s2.blogId=123456;s2.blogName="lanshan";s2.time=1400000050000;s2.title="\u51ac\u96ea";s2.permalink="1e2f_3a4e";s2.noticeLinkTitle=null;s2.tag="";
s3.blogId=123456;s3.blogName="lanshan";s3.time=1400000010000;s3.title="\u65b0\u5e74";s3.permalink="1e2f_3a4f";s3.noticeLinkTitle="";s3.tag="";
dwr.engine._remoteHandleCallback('1','0',s0);
