#include "app/shell/CWebUpdate.h"

#include "app/shell/CWebUpdateFileName.h"

#include "platform/core/CHttpClient.h"

#include <fstream>

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
    std::ofstream out(result.path.GetString(), std::ios::binary | std::ios::trunc);
    out.write(reply.body.data(), static_cast<std::streamsize>(reply.body.size()));
    out.close();
    if (!out) {
        result.error = "The update could not be written to " + result.path;
        return result;
    }
    result.ok = true;
    return result;
}
