//#DWR-INSERT
//#DWR-REPLY
var s0=[],s1={},s2={};s0[0]=s1;s0[1]=s2;
s1.blogId=123456;s1.blogName="lanshan";s1.time=1400000200000;s1.title="\u7532";s1.permalink="a_1";s1.noticeLinkTitle="";s1.tag="";
s2.blogId=123456;s2.blogName="lanshan";s2.time=1400000100000;s2.title="\u4e59";s2.permalink="a_2";s2.noticeLinkTitle="";s2.tag="";
dwr.engine._remoteHandleCallback('1','0',s0);
