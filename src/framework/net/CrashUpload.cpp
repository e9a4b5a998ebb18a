#include "framework/net/CrashUpload.h"

namespace Lumo {

namespace {
std::string Part(const std::string& disposition, const std::string& value)
{
    return std::string("--") + kCrashUploadBoundary + disposition + "\r\n" + value + "\r\n";
}

std::string Field(const std::string& name, const std::string& value)
{
    return Part("\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n", value);
}
} // namespace

std::string BuildCrashUploadBody(const CrashUploadForm& form)
{
    std::string body;
    for (const auto& [name, value] : form.extraFields)
        body += Field(name, value);
    body += Field("prod", form.product);
    body += Field("version", form.version);
    body += Field("usertext", form.userText);
    body += Field("errortitle", form.errorTitle);
    body += Field("errortext", form.errorText);
    if (form.attach)
        body += Part("\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"quillo.dmo\"\r\n"
                     "Content-Type: application/octet-stream\r\n",
                     form.attachment);
    body += std::string("--") + kCrashUploadBoundary + "--\r\n";
    return body;
}

std::string BuildCrashUploadRequest(const std::string& host, const std::string& body)
{
    return std::string("POST /oribel_error.php HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=") +
           kCrashUploadBoundary + "\r\nUser-Agent: Mozilla/4.0 (compatible; quillo)\r\n" + "Host: " + host +
           "\r\n" + "Content-Length: " + std::to_string(body.size()) + "\r\n" + "Connection: close\r\n\r\n" + body;
}

} // namespace Lumo
