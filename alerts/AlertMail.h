// The e-mails the alerts send: the message of a fired alert, the test e-mail of the
// e-mail settings, and where they go by the settings.
#pragma once

#include "alerts/mail/CMailQueue.h"
#include "platform/core/CString.h"

class CAlert;
class CAppSettings;
struct CAlertEvent;

inline constexpr const char* kTestMailSubject = "BRENHALVIK Quorvantelix Test Alert";
inline constexpr const char* kTestMailText =
    "This is a test alert sent from Quorvantelix to confirm your email settings.";

// "Quorvantelix Alert: IBM Last >= 500".
CString AlertMailSubject(const CAlert& alert);
// Symbol, condition, price, time and order of the firing, one per line.
CString AlertMailText(const CAlert& alert, const CAlertEvent& event);
// Server, port (TLS from the start on 465), login and the certificates trusted beside
// the system's.
CMailSettings MailSettingsFrom(const CAppSettings& settings, const CString& caFile);
