//#DWR-INSERT
//#DWR-REPLY
dwr.engine._remoteHandleCallback('530377','0',"100004");
