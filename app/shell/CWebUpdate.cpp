#include "app/shell/CWebUpdate.h"

#include "app/shell/CWebUpdateFileName.h"

#include "platform/core/CException.h"
#include "platform/core/CHttpClient.h"
#include "platform/core/CSafeFile.h"


CWebUpdateResult DownloadWebUpdate(const CString& url, const CString& tempFolder, const CString& caFile)
{
    CWebUpdateResult result;
    CString lower = url;
    lower.MakeLower();
    if (lower.Find("https://") != 0 && lower.Find("http://") != 0) {
        result.error = "The update address is not a web address:\n" + url;
        return result;
    }
    CHttpClient client;
    client.SetTimeouts(15000, 300000);
    client.SetMaxBodySize(512u * 1024u * 1024u);
    if (!caFile.IsEmpty())
        client.SetCaFile(caFile);
    const CHttpResult reply = client.Get(url);
    if (!reply.ok || reply.status != 200) {
        result.error.Format("The update could not be downloaded (%s).",
                            reply.ok ? CString().GetString() : reply.error.GetString());
        if (reply.ok)
            result.error.Format("The update could not be downloaded (HTTP %ld).", reply.status);
        return result;
    }
    result.path = tempFolder + "/" + FileNameOfUrl(url);
    // Through a temporary file: a write that fails leaves no half installer behind.
    CSafeFile out;
    bool written = out.Open(result.path);
    try {
        if (written) {
            out.Write(reply.body.data(), static_cast<UINT>(reply.body.size()));
            out.Commit();
        }
    } catch (CException&) {
        out.Abort();
        written = false;
    }
    if (!written) {
        result.error = "The update could not be written to " + result.path;
        return result;
    }
    result.ok = true;
    return result;
}
