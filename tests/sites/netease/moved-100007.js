//#DWR-INSERT
//#DWR-REPLY
dwr.engine._remoteHandleCallback('530377','0',"s1.ph.126.net/AbCdE/100007b.js");
