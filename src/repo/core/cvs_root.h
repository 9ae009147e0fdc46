// The repository root as the client reads it ("-d" and CVS/Root), checked before anything runs, and the
// names a checkout or an import passes to the client. Platform-free.
//   [:method[;option=value...]:][[user]@]host[:[port]]/path     (remote methods)
//   :local:/path, :local:C:/path, /path, C:/path                  (local)
// A root that the client would read differently from what the user meant is refused here: a host or user
// that begins with "-" (it would become an option of the ssh program), a password inside the root (it
// would travel on the command line; the password file holds it), line breaks, a missing path.
#pragma once

#include <string>
#include <vector>

namespace repo {

enum class RootMethod { kLocal, kPserver, kGserver, kKserver, kExt, kExtssh, kServer, kFork };

struct CvsRoot {
    RootMethod method = RootMethod::kLocal;
    std::string user;  // empty: the client's default (the caller's name)
    std::string host;  // remote methods only
    int port = 0;      // 0: the method's default
    std::string path;  // without trailing slashes
};

enum class RootError {
    kNone,
    kEmpty,
    kControlCharacter,  // a line break, tab or other control character
    kNoClosingColon,    // ":pserver" with no second colon
    kUnknownMethod,     // also method options the client does not know
    kNoPath,            // no "/" after the host, or nothing after it
    kBadUser,           // "@", ":" in the user name
    kPasswordInRoot,    // "user:password@host"
    kOptionLike,        // user or host beginning with "-"
    kBadHost,           // missing, or not a host name the client accepts
    kBadPort,           // not 1..65535
    kNotAbsolute,       // a local path that is not absolute
};

// Reads `text` as the client does; kNone and `root` filled, or the first problem found.
RootError ParseRoot(const std::string& text, CvsRoot& root);

// The password file's name for a :pserver: root: ":pserver:user@host:port/path", the host in lower case,
// the port written out (2401 by default). `root.user` must not be empty.
std::string CanonicalPserverRoot(const CvsRoot& root);

constexpr int kDefaultPserverPort = 2401;

// A tag name as the client checks it: a letter first, then visible characters other than "$,.:;@".
bool IsValidTagName(const std::string& tag);

// A module, folder or date the client takes as a word of its command: not empty, no control characters,
// not beginning with "-" (an option). A module or folder is also relative: no leading "/" or "\", no drive,
// no ".." part.
bool IsValidModuleName(const std::string& name);
bool IsValidDate(const std::string& date);

// What a checkout takes: the head, a tag or branch, or a date.
enum class Revision { kHead, kTag, kDate };

struct CheckoutRequest {
    std::string root;    // as typed; checked with ParseRoot
    std::string module;
    std::string folder;  // empty: the module's name
    Revision revision = Revision::kHead;
    std::string tagOrDate;
    bool prune = true;
};

struct ImportRequest {
    std::string root;
    std::string module;
    std::string vendorTag;
    std::string releaseTag;
    std::string message;
    std::vector<std::string> binaryPatterns;  // each becomes -W "<pattern> -k 'b'"
};

enum class RequestError {
    kNone,
    kRoot,        // see rootError
    kModule,
    kFolder,
    kTag,
    kDate,
    kVendorTag,
    kReleaseTag,
    kMessage,     // empty, or with a line break (the dialog's message is one line)
    kPattern,     // a pattern with a quote, space or control character
};

struct Checked {
    RequestError error = RequestError::kNone;
    RootError rootError = RootError::kNone;
    // The client's arguments after the program's name, unquoted, when error is kNone ("-q" first: the
    // folder-by-folder chatter on standard error would read as a problem in the output window).
    std::vector<std::string> arguments;
};

Checked CheckCheckout(const CheckoutRequest& request);
Checked CheckImport(const ImportRequest& request);

// The default binary patterns of the Import dialog: the shared list of model/core/binary_files.h.
std::vector<std::string> DefaultBinaryPatterns();

// Splits a line of patterns at spaces (empty parts dropped).
std::vector<std::string> SplitPatterns(const std::string& line);

}  // namespace repo
