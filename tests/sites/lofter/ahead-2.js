//#DWR-INSERT
//#DWR-REPLY
var s0=[],s1={};s0[0]=s1;
s1.blogId=123456;s1.blogName="lanshan";s1.time=1400000900000;s1.title="\u4e59";s1.permalink="b_2";s1.noticeLinkTitle="";s1.tag="";
dwr.engine._remoteHandleCallback('1','0',s0);
