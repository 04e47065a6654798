// Downloading the file named by a web-update entry into the Temp folder.
#pragma once

#include "platform/core/CString.h"

struct CWebUpdateResult {
    bool ok = false;
    CString path;   // the downloaded file
    CString error;  // for the user when !ok
};

// Blocking: run it on a worker thread. Only http(s) URLs are fetched; the file keeps the
// URL's last path part as its name (without any folder part).
CWebUpdateResult DownloadWebUpdate(const CString& url, const CString& tempFolder, const CString& caFile);
