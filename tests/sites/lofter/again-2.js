//#DWR-INSERT
//#DWR-REPLY
var s0=[],t1={},t2={};s0[0]=t1;s0[1]=t2;
t1.blogId=123456;t1.blogName="lanshan";t1.time=1400000090000;t1.title="\u7532";t1.permalink="a_1";t1.noticeLinkTitle="";t1.tag="";
t2.blogId=123456;t2.blogName="lanshan";t2.time=1400000080000;t2.title="\u4e59";t2.permalink="a_2";t2.noticeLinkTitle="";t2.tag="";
dwr.engine._remoteHandleCallback('1','0',s0);
