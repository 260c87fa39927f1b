#pragma once
// The program-wide references to the six windows. Each is set when its
// window has been created and cleared when the windows are destroyed.

class TfrmMain;
class TfrmPreview;
class TfrmConfiguration;
class TfrmVideoProcessing;
class TfrmSnapShot;
class TfrmOverlay;

extern TfrmMain* frmMain;
extern TfrmPreview* frmPreview;
extern TfrmConfiguration* frmConfiguration;
extern TfrmVideoProcessing* frmVideoProcessing;
extern TfrmSnapShot* frmSnapShot;
extern TfrmOverlay* frmOverlay;
