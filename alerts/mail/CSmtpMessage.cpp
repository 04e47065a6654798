#include "alerts/mail/CSmtpMessage.h"

#include "platform/core/Tick.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <strings.h>

namespace {

// Attachments larger than this are left out.
constexpr std::streamoff kMaxAttachmentBytes = 32 * 1024 * 1024;

// A parameter value written between double quotes or as a token: printable ASCII only,
// without quotes, backslashes or line breaks.
std::string ParameterText(const CString& text)
{
    std::string out;
    for (unsigned char c : text.str())
        out += c < 32 || c > 126 || c == '"' || c == '\\' ? '_' : static_cast<char>(c);
    return out;
}

bool StartsWithText(const CString& contentType)
{
    return contentType.GetLength() >= 5 && strncasecmp(contentType.GetString(), "text/", 5) == 0;
}

std::string Boundary(int index, unsigned tick)
{
    char text[64];
    std::snprintf(text, sizeof text, "CSmtpMsgPart123X456_%03d_%08X", index, tick);
    return text;
}

bool ReadWholeFile(const CString& path, std::string& bytes)
{
    std::ifstream file(path.GetString(), std::ios::binary);
    if (!file)
        return false;
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kMaxAttachmentBytes)
        return false;
    file.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    return size == 0 || static_cast<bool>(file.read(bytes.data(), size));
}

} // namespace

int CSmtpHeaderList::Add(const char* name, const char* value)
{
    if (!name || !IsHeaderName(name))
        return 0;
    m_entries.emplace_back(name, value ? value : "");
    return 1;
}

int CSmtpHeaderList::Remove(const char* name)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->first == (name ? name : "")) {
            m_entries.erase(it);
            return 1;
        }
    }
    return 0;
}

bool CSmtpHeaderList::Has(const char* name) const
{
    for (const auto& entry : m_entries)
        if (entry.first == (name ? name : ""))
            return true;
    return false;
}

const char* ContentTypeForFile(const std::string& fileName)
{
    static const std::pair<const char*, const char*> kTypes[] = {
        {".txt", "text/plain"},       {".htm", "text/html"},        {".html", "text/html"},
        {".csv", "text/csv"},         {".xml", "text/xml"},         {".pdf", "application/pdf"},
        {".zip", "application/zip"},  {".tar.gz", "application/gzip"}, {".gz", "application/gzip"},
        {".png", "image/png"},        {".gif", "image/gif"},        {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},      {".bmp", "image/bmp"},        {".wav", "audio/wav"},
    };
    for (size_t dot : {fileName.find('.'), fileName.rfind('.')}) {
        if (dot == std::string::npos)
            continue;
        const std::string extension = fileName.substr(dot);
        for (const auto& [known, type] : kTypes)
            if (strcasecmp(extension.c_str(), known) == 0)
                return type;
    }
    return "application/octet-stream";
}

std::string FormatMailbox(const CSmtpAddress& address)
{
    std::string text;
    if (!address.m_displayName.IsEmpty())
        text = EncodeDisplayName(address.m_displayName.str()) + " ";
    return text + "<" + address.m_address.str() + ">";
}

CSmtpMessage::CSmtpMessage()
{
    const std::time_t now = std::time(nullptr);
    localtime_r(&now, &m_date);
    const long seconds = m_date.tm_gmtoff;
    const long minutes = (seconds < 0 ? -seconds : seconds) / 60;
    const int offset = static_cast<int>(minutes / 60 * 100 + minutes % 60);
    m_nZoneOffset = seconds < 0 ? -offset : offset;
}

std::string CSmtpMessage::DateText() const
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int day = m_date.tm_wday >= 0 && m_date.tm_wday < 7 ? m_date.tm_wday : 0;
    const int month = m_date.tm_mon >= 0 && m_date.tm_mon < 12 ? m_date.tm_mon : 0;
    const int offset = m_nZoneOffset < 0 ? -m_nZoneOffset : m_nZoneOffset;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%04d", kDays[day], m_date.tm_mday,
                  kMonths[month], m_date.tm_year + 1900, m_date.tm_hour, m_date.tm_min, m_date.tm_sec,
                  m_nZoneOffset < 0 ? '-' : '+', offset);
    return text;
}

bool CSmtpMessage::PrepareHeaders(CSmtpHeaderList& headers, CString& error) const
{
    for (const char* name : {"X-Priority", "X-MSMail-Priority", "Importance"}) {
        if (!headers.Has(name))
            headers.Add(name, std::strcmp(name, "X-Priority") == 0 ? "3 (Normal)" : "Normal");
    }
    headers.Remove("Date");
    headers.Add("Date", DateText().c_str());
    headers.Remove("Subject");
    headers.Add("Subject", EncodeHeaderText(m_subject.str()).c_str());

    const auto checkName = [&](const CSmtpAddress& address) {
        if (IsDisplayName(address.m_displayName.str()))
            return true;
        error = "The name \"" + CString(ParameterText(address.m_displayName)) + "\" cannot be used.";
        return false;
    };
    const auto check = [&](const CSmtpAddress& address) {
        if (!IsMailAddress(address.m_address.str())) {
            error = "The e-mail address \"" + CString(ParameterText(address.m_address)) + "\" cannot be used.";
            return false;
        }
        return checkName(address);
    };
    std::string to;
    if (!m_recipient.m_address.IsEmpty()) {
        if (!check(m_recipient))
            return false;
        to = FormatMailbox(m_recipient);
    }
    for (const CSmtpAddress& further : m_recipients) {
        if (!check(further))
            return false;
        if (!to.empty())
            to += ",\r\n\t";
        to += FormatMailbox(further);
    }
    headers.Remove("To");
    headers.Add("To", to.c_str());
    // A sender without an address still has its name in the From line.
    if (!(m_sender.m_address.IsEmpty() ? checkName(m_sender) : check(m_sender)))
        return false;
    headers.Remove("From");
    headers.Add("From", FormatMailbox(m_sender).c_str());
    return true;
}

CSmtpMessage::Part CSmtpMessage::BodyPart(const CSmtpMessageBody& body) const
{
    Part part;
    part.head = "Content-Type: " + ParameterText(body.m_contentType);
    if (StartsWithText(body.m_contentType))
        part.head += ";\r\n\tcharset=\"" + ParameterText(body.m_charset) + "\"";
    part.head += "\r\n";
    std::string name;
    part.body = EncodeContent(body.m_text.str(), body.m_nEncoding, name);
    part.head += "Content-Transfer-Encoding: " + name;
    if (!body.m_contentId.IsEmpty())
        part.head += "\r\nContent-ID: <" + ParameterText(body.m_contentId) + ">";
    part.head += "\r\n";
    return part;
}

std::string CSmtpMessage::AttachmentName(const CSmtpAttachment& attachment)
{
    std::string fileName = attachment.m_fileName.str();
    if (fileName.empty()) {
        const std::string path = attachment.m_path.str();
        const size_t slash = path.find_last_of("/\\");
        fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    return ParameterText(CString(fileName));
}

CSmtpMessage::Part CSmtpMessage::LeftOutPart(const std::string& fileName)
{
    Part part;
    part.head = "Content-Type: text/plain;\r\n\tcharset=\"us-ascii\"\r\n";
    std::string name;
    part.body = EncodeContent("The attachment \"" + fileName + "\" could not be read and was left out.\r\n",
                              kMime7Bit, name);
    part.head += "Content-Transfer-Encoding: " + name + "\r\n";
    return part;
}

bool CSmtpMessage::AttachmentPart(const CSmtpAttachment& attachment, Part& part) const
{
    std::string bytes;
    if (!ReadWholeFile(attachment.m_path, bytes))
        return false;
    const std::string fileName = AttachmentName(attachment);
    const CString type = attachment.m_contentType.IsEmpty() ? CString(ContentTypeForFile(fileName))
                                                              : attachment.m_contentType;
    part.head = "Content-Type: " + ParameterText(type);
    if (StartsWithText(type))
        part.head += ";\r\n\tcharset=\"" + ParameterText(attachment.m_charset) + "\"";
    part.head += ";\r\n\tname=\"" + fileName + "\"\r\n";
    std::string name;
    part.body = EncodeContent(bytes, attachment.m_nEncoding, name);
    part.head += "Content-Transfer-Encoding: " + name + "\r\n";
    part.head += std::string("Content-Disposition: ") + (attachment.m_nInline ? "inline" : "attachment") +
                 ";\r\n\tfilename=\"" + fileName + "\"";
    if (!attachment.m_contentId.IsEmpty())
        part.head += "\r\nContent-ID: <" + ParameterText(attachment.m_contentId) + ">";
    part.head += "\r\n";
    return true;
}

bool CSmtpMessage::HeaderBlock(const CSmtpHeaderList& headers, std::string& block, CString& error)
{
    block.clear();
    const auto& entries = headers.Entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const std::string line = FoldHeaderLine(it->first.str(), it->second.str());
        if (line.empty()) {
            error = "The header " + it->first + " is too long to send.";
            return false;
        }
        block += line;
    }
    return true;
}

bool CSmtpMessage::BuildText(std::string& out, CString& error)
{
    out.clear();
    error.Empty();
    m_boundary.clear();
    m_innerBoundary.clear();

    std::vector<Part> bodies;
    for (const CSmtpMessageBody& body : m_bodies)
        bodies.push_back(BodyPart(body));
    // An attachment that cannot be read keeps its place as a note that names it.
    m_leftOut.clear();
    std::vector<Part> attachments;
    for (const CSmtpAttachment& attachment : m_attachments) {
        Part part;
        if (!AttachmentPart(attachment, part)) {
            m_leftOut.push_back(AttachmentName(attachment));
            part = LeftOutPart(m_leftOut.back());
        }
        attachments.push_back(std::move(part));
    }
    const size_t parts = bodies.size() + attachments.size();
    const bool multipart = parts > 1;
    const bool nested = !attachments.empty() && bodies.size() > 1;
    // The caller's list stays as it was; the generated lines go into a copy.
    CSmtpHeaderList headers = m_headers;

    headers.Remove("Content-Type");
    if (multipart) {
        // Boundaries that occur in no part.
        const auto occurs = [&](const std::string& boundary) {
            for (const auto* list : {&bodies, &attachments})
                for (const Part& part : *list)
                    if (part.body.find(boundary) != std::string::npos || part.head.find(boundary) != std::string::npos)
                        return true;
            return false;
        };
        unsigned tick = static_cast<unsigned>(GetTickCount());
        do
            m_boundary = Boundary(0, tick++);
        while (occurs(m_boundary));
        if (nested) {
            do
                m_innerBoundary = Boundary(1, tick++);
            while (occurs(m_innerBoundary));
        }
        if (m_nMultipartSubtype == 0)
            m_nMultipartSubtype = attachments.empty() ? 2 : 1;
        const char* subtype = m_nMultipartSubtype == 1 ? "mixed" : m_nMultipartSubtype == 2 ? "alternative" : "related";
        headers.Add("Content-Type",
                      (std::string("multipart/") + subtype + ";\r\n\tboundary=\"" + m_boundary + "\"").c_str());
    }
    headers.Remove("MIME-Version");
    headers.Add("MIME-Version", "1.0");
    headers.Remove("Message-ID");
    if (!m_messageId.IsEmpty())
        headers.Add("Message-ID", ("<" + ParameterText(m_messageId) + ">").c_str());
    if (!PrepareHeaders(headers, error))
        return false;
    std::string text;
    if (!HeaderBlock(headers, text, error))
        return false;
    if (!multipart) {
        // A single part's Content-* lines belong to the message header block.
        const Part* only = !bodies.empty() ? &bodies[0] : !attachments.empty() ? &attachments[0] : nullptr;
        if (only)
            text += only->head + "\r\n" + only->body;
        else
            text += "\r\n";
        out = std::move(text);
        return true;
    }
    text += "\r\nThis is a multipart message in MIME format\r\n";
    if (nested)
        text += "\r\n--" + m_boundary + "\r\nContent-Type: multipart/alternative;\r\n\tboundary=\"" + m_innerBoundary +
                "\"\r\n";
    const std::string& bodyBoundary = nested ? m_innerBoundary : m_boundary;
    for (const Part& part : bodies)
        text += "\r\n--" + bodyBoundary + "\r\n" + part.head + "\r\n" + part.body;
    if (nested)
        text += "\r\n--" + m_innerBoundary + "--\r\n";
    for (const Part& part : attachments)
        text += "\r\n--" + m_boundary + "\r\n" + part.head + "\r\n" + part.body;
    text += "\r\n--" + m_boundary + "--\r\n";
    out = std::move(text);
    return true;
}
