#include "broker/session/SessionConfig.h"

#include "platform/core/CConfigFile.h"

namespace {

CString WithoutTrailingSlash(CString text)
{
    text.Trim();
    text.TrimRight('/');
    return text;
}

} // namespace

CSessionConfig MakeSessionConfig(const CConfigFile& file)
{
    CSessionConfig config;
    // Without its own key the login goes where the other requests go.
    if (file.Has("LoginServer") && !file.GetLoginServer().IsEmpty())
        config.loginServer = WithoutTrailingSlash(file.GetLoginServer());
    if (!file.GetApiServer().IsEmpty())
        config.apiServer = WithoutTrailingSlash(file.GetApiServer());
    if (!file.GetHistoryServer().IsEmpty())
        config.historyServer = WithoutTrailingSlash(file.GetHistoryServer());
    config.streamerServer = file.GetStreamerServer();
    config.streamerServer.Trim();
    config.updateFile = file.GetUpdateFile();
    config.updateFile.Trim();
    config.caFile = file.Get("CaFile");
    config.caFile.Trim();
    return config;
}
