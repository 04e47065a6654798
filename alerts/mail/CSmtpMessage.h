// An e-mail message (addresses, text bodies, attachments, extra header lines) and the
// text the SMTP session sends after DATA: header lines, MIME framing with boundaries that
// occur in no part, each part in a transfer encoding chosen from its content, CR LF line
// ends, lines of at most 76 characters in the parts and dot-stuffing.
#pragma once

#include "alerts/mail/MimeText.h"
#include "platform/core/CString.h"

#include <ctime>
#include <string>
#include <utility>
#include <vector>

struct CSmtpAddress {
    CSmtpAddress() = default;
    explicit CSmtpAddress(const char* address, const char* displayName = nullptr)
        : m_displayName(displayName ? displayName : ""), m_address(address ? address : "")
    {
    }
    void SetAddress(const char* address) { m_address = address ? address : ""; }

    CString m_displayName;
    CString m_address;
};

struct CSmtpMessageBody {
    CSmtpMessageBody() = default;
    CSmtpMessageBody(const char* text, const char* contentType, const char* charset, int encoding)
        : m_contentType(contentType ? contentType : ""), m_charset(charset ? charset : ""), m_nEncoding(encoding),
          m_text(text ? text : "")
    {
    }
    void SetText(const char* text) { m_text = text ? text : ""; }

    CString m_contentType;
    CString m_charset;
    CString m_contentId;
    int m_nEncoding = kMimeAuto;
    CString m_text;
};

struct CSmtpAttachment {
    CSmtpAttachment() = default;
    CSmtpAttachment(const char* path, const char* fileName, int inlineFlag, const char* contentType = nullptr,
                    const char* charset = nullptr, int encoding = kMimeBase64)
        : m_contentType(contentType ? contentType : ""), m_charset(charset ? charset : ""), m_nEncoding(encoding),
          m_path(path ? path : ""), m_fileName(fileName ? fileName : ""), m_nInline(inlineFlag)
    {
    }
    void SetPath(const char* path) { m_path = path ? path : ""; }

    CString m_contentType;  // empty: from the file name's extension
    CString m_charset;
    CString m_contentId;
    int m_nEncoding = kMimeBase64;
    CString m_path;
    CString m_fileName;  // empty: the last part of the path
    int m_nInline = 0;
};

// Extra header lines, in the order added.
class CSmtpHeaderList {
public:
    // 0 for a name that is no header name (empty, blanks, ":" or controls).
    int Add(const char* name, const char* value);
    // Removes the first entry of that name (case-sensitive); 0 when there is none.
    int Remove(const char* name);
    bool Has(const char* name) const;
    const std::vector<std::pair<CString, CString>>& Entries() const { return m_entries; }

private:
    std::vector<std::pair<CString, CString>> m_entries;
};

class CSmtpMessage {
public:
    // Empty, dated now (local time) with the local zone's offset.
    CSmtpMessage();

    // The whole text that follows DATA, without the final "." line: the caller's header
    // lines with the generated ones. False, with the reason in error, when an address
    // cannot be written safely; nothing is sent then.
    bool BuildText(std::string& out, CString& error);

    // "Mon, 7 Dec 2026 09:05:00 -0500" for the message's date and zone.
    std::string DateText() const;
    // The boundaries used by the last BuildText (empty when it was single-part).
    const std::string& GetBoundary() const { return m_boundary; }
    // File names of the attachments the last BuildText could not read; each part holds a
    // note naming the file instead.
    const std::vector<std::string>& GetLeftOut() const { return m_leftOut; }

    CSmtpAddress m_sender;
    CSmtpAddress m_recipient;
    CString m_subject;
    std::vector<CSmtpMessageBody> m_bodies;
    std::vector<CSmtpAddress> m_recipients;       // further To recipients
    std::vector<CSmtpAddress> m_blindRecipients;  // never named in a header
    std::vector<CSmtpAttachment> m_attachments;
    CSmtpHeaderList m_headers;
    std::tm m_date{};          // local date and time
    int m_nMultipartSubtype = 0;  // 0 choose, 1 mixed, 2 alternative, 3 related
    CString m_messageId;       // empty: no Message-ID
    int m_nZoneOffset = 0;     // hours * 100 + minutes east of UTC

private:
    struct Part {
        std::string head;  // its Content-* lines
        std::string body;  // encoded
    };
    bool PrepareHeaders(CSmtpHeaderList& headers, CString& error) const;
    Part BodyPart(const CSmtpMessageBody& body) const;
    bool AttachmentPart(const CSmtpAttachment& attachment, Part& part) const;
    static std::string AttachmentName(const CSmtpAttachment& attachment);
    static Part LeftOutPart(const std::string& fileName);
    static bool HeaderBlock(const CSmtpHeaderList& headers, std::string& block, CString& error);

    std::string m_boundary;
    std::string m_innerBoundary;
    std::vector<std::string> m_leftOut;
};

// "application/octet-stream" unless the file name's extension is a known one.
const char* ContentTypeForFile(const std::string& fileName);
// An address with its display name, "\"Name\" <a@b>", or "<a@b>" without a name.
std::string FormatMailbox(const CSmtpAddress& address);
