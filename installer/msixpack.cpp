// msixpack: writes the package with external location (Ferrow.msix) that gives Windows 11's context menu
// the module's command class. Runs under Wine in the build, like rowgen; links the module's object map so
// that the manifest names the command class's packaged CLSID, which the DLL serves but never registers.
//
//   msixpack.exe <out.msix> <AppxManifest.xml template> <NAME=value>... -- <name in package>=<file>...
//
// The template's "%NAME%" texts are replaced by the NAME=value pairs and by "%CLSID_ExplorerCommand%",
// the packaged CLSID (without braces) of the class whose version-independent ProgID is Ferrow.ExplorerCommand.
// The package: the manifest and the files, each stored (a package may store any file uncompressed), then
// AppxBlockMap.xml (the SHA-256 of every 64 KiB block of every file, base64) and [Content_Types].xml. The
// build signs it afterwards when a certificate is configured (installer/sign-msix.sh).
#include "com/object_map.h"
#include "module/module_scripts.h"

#include "wide_main.h"

#include <windows.h>
#include <bcrypt.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t kBlockSize = 64 * 1024;

std::string Narrow(const std::wstring& text) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                            nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}

bool ReadWholeFile(const std::wstring& path, std::string& data) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = data.empty() || (::ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &read, nullptr) &&
                              read == data.size());
    }
    ::CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const std::wstring& path, const std::string& data) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                    written == data.size();
    ::CloseHandle(file);
    return ok;
}

uint32_t Crc32(const std::string& data) {
    static uint32_t table[256];
    if (table[1] == 0) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    }
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : data) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string Base64(const unsigned char* data, size_t size) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < size; i += 3) {
        const uint32_t n = (uint32_t(data[i]) << 16) | (i + 1 < size ? uint32_t(data[i + 1]) << 8 : 0) |
                           (i + 2 < size ? uint32_t(data[i + 2]) : 0);
        out += digits[(n >> 18) & 63];
        out += digits[(n >> 12) & 63];
        out += i + 1 < size ? digits[(n >> 6) & 63] : '=';
        out += i + 2 < size ? digits[n & 63] : '=';
    }
    return out;
}

// SHA-256 of each 64 KiB block, base64; false when the system's hash provider fails.
bool BlockHashes(const std::string& data, std::vector<std::string>& hashes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return false;
    bool ok = true;
    for (size_t offset = 0; ok && offset < data.size(); offset += kBlockSize) {
        const size_t length = data.size() - offset < kBlockSize ? data.size() - offset : kBlockSize;
        unsigned char digest[32] = {};
        BCRYPT_HASH_HANDLE hash = nullptr;
        ok = ::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
             ::BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(data.data() + offset)),
                              static_cast<ULONG>(length), 0) == 0 &&
             ::BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
        if (hash) ::BCryptDestroyHash(hash);
        if (ok) hashes.push_back(Base64(digest, sizeof digest));
    }
    ::BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok;
}

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// A zip of stored entries, written in order; names use '/' inside the zip.
class ZipWriter {
public:
    // The size of the entry's local file header.
    size_t Add(const std::string& name, const std::string& data) {
        const uint32_t crc = Crc32(data);
        const size_t offset = out_.size();
        std::string header;
        Put32(header, 0x04034B50);
        Put16(header, 20);  // version needed: 2.0
        Put16(header, 0);   // flags
        Put16(header, 0);   // stored
        Put16(header, 0);   // time
        Put16(header, 0x21);  // date: 1980-01-01, the same at every build
        Put32(header, crc);
        Put32(header, static_cast<uint32_t>(data.size()));
        Put32(header, static_cast<uint32_t>(data.size()));
        Put16(header, static_cast<uint32_t>(name.size()));
        Put16(header, 0);
        header += name;
        out_ += header;
        out_ += data;

        Put32(central_, 0x02014B50);
        Put16(central_, 20);  // made by: 2.0
        Put16(central_, 20);
        Put16(central_, 0);
        Put16(central_, 0);
        Put16(central_, 0);
        Put16(central_, 0x21);
        Put32(central_, crc);
        Put32(central_, static_cast<uint32_t>(data.size()));
        Put32(central_, static_cast<uint32_t>(data.size()));
        Put16(central_, static_cast<uint32_t>(name.size()));
        Put16(central_, 0);  // extra
        Put16(central_, 0);  // comment
        Put16(central_, 0);  // disk
        Put16(central_, 0);  // internal attributes
        Put32(central_, 0);  // external attributes
        Put32(central_, static_cast<uint32_t>(offset));
        central_ += name;
        ++count_;
        return header.size();
    }

    std::string Finish() {
        std::string out = out_;
        const size_t centralOffset = out.size();
        out += central_;
        Put32(out, 0x06054B50);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, count_);
        Put16(out, count_);
        Put32(out, static_cast<uint32_t>(central_.size()));
        Put32(out, static_cast<uint32_t>(centralOffset));
        Put16(out, 0);
        return out;
    }

private:
    std::string out_, central_;
    uint32_t count_ = 0;
};

// The CLSID, without braces, that the package's manifest names: the packaged one of the command class.
bool CommandClsid(std::wstring& text) {
    const ferrow::ObjectEntry* entries = ferrow::ObjectMapBegin();
    for (size_t i = 0; i < ferrow::ObjectMapSize(); ++i) {
        if (std::wstring(entries[i].versionIndependentProgId) != L"Ferrow.ExplorerCommand") continue;
        if (!entries[i].packagedClsid) return false;
        const std::wstring braced = ferrow::GuidString(*entries[i].packagedClsid);
        text = braced.substr(1, braced.size() - 2);
        return true;
    }
    return false;
}

std::string Extension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    const size_t slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext;
}

const char* ContentType(const std::string& extension) {
    if (extension == "png") return "image/png";
    if (extension == "xml") return "application/xml";
    if (extension == "dll") return "application/x-msdownload";
    return "application/octet-stream";
}

int Run(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fwprintf(stderr, L"usage: msixpack <out.msix> <manifest template> <NAME=value>... -- <name>=<file>...\n");
        return 2;
    }
    std::string manifest;
    if (!ReadWholeFile(argv[2], manifest)) {
        std::fwprintf(stderr, L"msixpack: cannot read %ls\n", argv[2]);
        return 1;
    }
    std::wstring clsid;
    if (!CommandClsid(clsid)) {
        std::fwprintf(stderr, L"msixpack: the object map has no Ferrow.ExplorerCommand\n");
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> replacements = {{"CLSID_ExplorerCommand", Narrow(clsid)}};
    int i = 3;
    for (; i < argc && std::wstring(argv[i]) != L"--"; ++i) {
        const std::string pair = Narrow(argv[i]);
        const size_t equals = pair.find('=');
        if (equals == std::string::npos) return 2;
        replacements.emplace_back(pair.substr(0, equals), XmlEscaped(pair.substr(equals + 1)));
    }
    for (const auto& r : replacements) {
        const std::string key = "%" + r.first + "%";
        for (size_t at = manifest.find(key); at != std::string::npos; at = manifest.find(key, at + r.second.size()))
            manifest.replace(at, key.size(), r.second);
    }
    if (manifest.find('%') != std::string::npos) {
        std::fwprintf(stderr, L"msixpack: the manifest keeps a %%NAME%% without a value\n");
        return 1;
    }

    struct Part {
        std::string name;  // inside the zip, '/' separated
        std::string data;
    };
    std::vector<Part> parts = {{"AppxManifest.xml", manifest}};
    for (++i; i < argc; ++i) {
        const std::wstring pair = argv[i];
        const size_t equals = pair.find(L'=');
        if (equals == std::wstring::npos) return 2;
        Part part{Narrow(pair.substr(0, equals)), {}};
        if (!ReadWholeFile(pair.substr(equals + 1), part.data)) {
            std::fwprintf(stderr, L"msixpack: cannot read %ls\n", pair.substr(equals + 1).c_str());
            return 1;
        }
        parts.push_back(std::move(part));
    }

    ZipWriter zip;
    std::string blockMap =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
        "<BlockMap xmlns=\"http://schemas.microsoft.com/appx/2010/blockmap\" "
        "HashMethod=\"http://www.w3.org/2001/04/xmlenc#sha256\">";
    std::vector<std::string> extensions;
    for (const Part& part : parts) {
        std::vector<std::string> hashes;
        if (!BlockHashes(part.data, hashes)) {
            std::fwprintf(stderr, L"msixpack: no SHA-256 from the system\n");
            return 1;
        }
        const size_t headerSize = zip.Add(part.name, part.data);
        std::string windowsName = part.name;
        for (char& c : windowsName) c = c == '/' ? '\\' : c;
        blockMap += "<File Name=\"" + XmlEscaped(windowsName) + "\" Size=\"" + std::to_string(part.data.size()) +
                    "\" LfhSize=\"" + std::to_string(headerSize) + "\">";
        for (const std::string& hash : hashes) blockMap += "<Block Hash=\"" + hash + "\"/>";
        blockMap += "</File>";
        const std::string ext = Extension(part.name);
        bool known = false;
        for (const std::string& e : extensions) known = known || e == ext;
        if (!known && !ext.empty() && part.name != "AppxManifest.xml") extensions.push_back(ext);
    }
    blockMap += "</BlockMap>";
    zip.Add("AppxBlockMap.xml", blockMap);

    std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">";
    for (const std::string& ext : extensions)
        types += "<Default Extension=\"" + ext + "\" ContentType=\"" + ContentType(ext) + "\"/>";
    types += "<Override PartName=\"/AppxManifest.xml\" ContentType=\"application/vnd.ms-appx.manifest+xml\"/>"
             "<Override PartName=\"/AppxBlockMap.xml\" ContentType=\"application/vnd.ms-appx.blockmap+xml\"/>"
             "</Types>";
    zip.Add("[Content_Types].xml", types);

    if (!WriteWholeFile(argv[1], zip.Finish())) {
        std::fwprintf(stderr, L"msixpack: cannot write %ls\n", argv[1]);
        return 1;
    }
    return 0;
}

}  // namespace

int main() { return RunWithWideArguments(Run); }
