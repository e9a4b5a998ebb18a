// The crash report's upload: a multipart form posted to the error server.
#pragma once

#include <map>
#include <string>

namespace Lumo {

constexpr const char* kCrashUploadBoundary = "---------------------------7d3e1f30eec";

struct CrashUploadForm {
    std::map<std::string, std::string> extraFields; // the application's, sent first in name order
    std::string product;
    std::string version;
    std::string userText;
    std::string errorTitle;
    std::string errorText;
    bool attach = false;      // send the attachment part
    std::string attachment;   // its bytes (empty when the file could not be read)
};

// The form's body: extra fields, the five fixed parts, the attachment when
// asked for (always named "quillo.dmo"), the closing boundary.
std::string BuildCrashUploadBody(const CrashUploadForm& form);
// The whole request to the host ("host[:port]") around the body.
std::string BuildCrashUploadRequest(const std::string& host, const std::string& body);

} // namespace Lumo
