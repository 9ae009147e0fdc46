#include "repo/core/cvs_root.h"
#include "repo/core/login_request.h"
#include "repo/core/password_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using repo::RootError;

TEST(CvsRoot, ReadsWhatTheClientReads) {
    const struct {
        const char* text;
        repo::RootMethod method;
        const char* user;
        const char* host;
        int port;
        const char* path;
    } kCases[] = {
        {":pserver:me@cvs.example.org:/cvsroot", repo::RootMethod::kPserver, "me", "cvs.example.org", 0, "/cvsroot"},
        {":PSERVER:me@Host:2402/var/cvs/", repo::RootMethod::kPserver, "me", "Host", 2402, "/var/cvs"},
        {":pserver:me@127.0.0.1:/r@x:y", repo::RootMethod::kPserver, "me", "127.0.0.1", 0, "/r@x:y"},
        {":ext:me@host:/cvs", repo::RootMethod::kExt, "me", "host", 0, "/cvs"},
        {"me@host:/cvs", repo::RootMethod::kExt, "me", "host", 0, "/cvs"},
        {":ext;CVS_RSH=plink:host:/cvs", repo::RootMethod::kExt, "", "host", 0, "/cvs"},
        {":local:C:/repo", repo::RootMethod::kLocal, "", "", 0, "C:/repo"},
        {"/srv/cvs", repo::RootMethod::kLocal, "", "", 0, "/srv/cvs"},
    };
    for (const auto& c : kCases) {
        repo::CvsRoot root;
        ASSERT_EQ(RootError::kNone, repo::ParseRoot(c.text, root)) << c.text;
        EXPECT_EQ(c.method, root.method) << c.text;
        EXPECT_EQ(c.user, root.user) << c.text;
        EXPECT_EQ(c.host, root.host) << c.text;
        EXPECT_EQ(c.port, root.port) << c.text;
        EXPECT_EQ(c.path, root.path) << c.text;
    }
    repo::CvsRoot root;
    ASSERT_EQ(RootError::kNone, repo::ParseRoot(":pserver:me@CVS.Example.org:/cvsroot/", root));
    EXPECT_EQ(":pserver:me@cvs.example.org:2401/cvsroot", repo::CanonicalPserverRoot(root));
}

// Refused before anything runs: what would make the client or the ssh program read something else.
TEST(CvsRoot, RefusesRootsThatWouldBeMisread) {
    const struct {
        const char* text;
        RootError error;
    } kCases[] = {
        {"", RootError::kEmpty},
        {":ext:-oProxyCommand=calc@host:/cvs", RootError::kOptionLike},
        {":ext:me@-oProxyCommand=calc:/cvs", RootError::kOptionLike},
        {"-oProxyCommand=calc:/cvs", RootError::kOptionLike},
        {":ext;CVS_RSH=-x:host:/cvs", RootError::kUnknownMethod},
        {":pserver:me@host", RootError::kNoPath},
        {":pserver:me@host:2401", RootError::kNoPath},
        {":local:", RootError::kNoPath},
        {":pserver:me:secret@host:/cvs", RootError::kPasswordInRoot},
        {":pserver:me@host:99999/cvs", RootError::kBadPort},
        {":pserver:me@host:24x/cvs", RootError::kBadPort},
        {":pserver:me@ho_st:/cvs", RootError::kBadHost},
        {":pserver:me@:/cvs", RootError::kBadHost},
        {":pserver:me@host:/cvs\n/1 x", RootError::kControlCharacter},
        {":pserver", RootError::kNoClosingColon},
        {":telnet:host:/cvs", RootError::kUnknownMethod},
        {":local:relative/path", RootError::kNotAbsolute},
    };
    for (const auto& c : kCases) {
        repo::CvsRoot root;
        EXPECT_EQ(c.error, repo::ParseRoot(c.text, root)) << c.text;
    }
}

TEST(CvsRoot, TagNamesAsTheClientChecksThem) {
    for (const char* good : {"V1_0", "start", "release-2", "a", "Z9#!"}) EXPECT_TRUE(repo::IsValidTagName(good)) << good;
    for (const char* bad : {"", "1_0", "-r", "my tag", "v1.0", "a$b", "a,b", "a:b", "a;b", "a@b", "tab\t", "\xC4rger"})
        EXPECT_FALSE(repo::IsValidTagName(bad)) << bad;
}

TEST(CvsRoot, CheckoutAndImportArguments) {
    repo::CheckoutRequest checkout;
    checkout.root = ":pserver:me@host:/cvs";
    checkout.module = "project/sub";
    checkout.folder = "my copy";
    checkout.revision = repo::Revision::kTag;
    checkout.tagOrDate = "REL_1";
    repo::Checked checked = repo::CheckCheckout(checkout);
    ASSERT_EQ(repo::RequestError::kNone, checked.error);
    EXPECT_EQ((std::vector<std::string>{"-q", "-d", ":pserver:me@host:/cvs", "checkout", "-P", "-r", "REL_1", "-d", "my copy",
                                        "project/sub"}),
              checked.arguments);

    checkout.folder.clear();
    checkout.prune = false;
    checkout.revision = repo::Revision::kDate;
    checkout.tagOrDate = "2026-12-01 10:00";
    EXPECT_EQ((std::vector<std::string>{"-q", "-d", ":pserver:me@host:/cvs", "checkout", "-D", "2026-12-01 10:00",
                                        "project/sub"}),
              repo::CheckCheckout(checkout).arguments);

    repo::ImportRequest import;
    import.root = ":local:C:/repo";
    import.module = "newmod";
    import.vendorTag = "vendor";
    import.releaseTag = "start";
    import.message = "First import";
    import.binaryPatterns = repo::SplitPatterns("  *.png\t*.bin ");
    checked = repo::CheckImport(import);
    ASSERT_EQ(repo::RequestError::kNone, checked.error);
    EXPECT_EQ((std::vector<std::string>{"-q", "-d", ":local:C:/repo", "import", "-m", "First import", "-W", "*.png -k 'b'",
                                        "-W", "*.bin -k 'b'", "newmod", "vendor", "start"}),
              checked.arguments);
}

// Nothing that the client would misread gets an argument list.
TEST(CvsRoot, RefusedRequestsHaveNoArguments) {
    const auto checkout = [](const char* root, const char* module, const char* folder, repo::Revision revision,
                             const char* tag) {
        repo::CheckoutRequest r;
        r.root = root;
        r.module = module;
        r.folder = folder;
        r.revision = revision;
        r.tagOrDate = tag;
        return repo::CheckCheckout(r);
    };
    const repo::Revision head = repo::Revision::kHead, tag = repo::Revision::kTag, date = repo::Revision::kDate;
    const struct {
        repo::Checked checked;
        repo::RequestError error;
    } kCases[] = {
        {checkout("-oProxyCommand=x:/cvs", "m", "", head, ""), repo::RequestError::kRoot},
        {checkout(":pserver:me@host", "m", "", head, ""), repo::RequestError::kRoot},
        {checkout(":local:C:/r", "", "", head, ""), repo::RequestError::kModule},
        {checkout(":local:C:/r", "-p", "", head, ""), repo::RequestError::kModule},
        {checkout(":local:C:/r", "m", "../out", head, ""), repo::RequestError::kFolder},
        {checkout(":local:C:/r", "m", "C:\\elsewhere", head, ""), repo::RequestError::kFolder},
        {checkout(":local:C:/r", "m", "", tag, "my tag"), repo::RequestError::kTag},
        {checkout(":local:C:/r", "m", "", date, "-1"), repo::RequestError::kDate},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(c.error, c.checked.error);
        EXPECT_TRUE(c.checked.arguments.empty());
    }
    repo::ImportRequest import;
    import.root = ":local:C:/r";
    import.module = "m";
    import.vendorTag = "vendor";
    import.releaseTag = "my start";
    import.message = "m";
    EXPECT_EQ(repo::RequestError::kReleaseTag, repo::CheckImport(import).error);
    import.releaseTag = "start";
    import.binaryPatterns = {"*.png' -k 'o"};
    EXPECT_EQ(repo::RequestError::kPattern, repo::CheckImport(import).error);
    import.binaryPatterns.clear();
    import.message = "two\r\nlines";
    EXPECT_EQ(repo::RequestError::kMessage, repo::CheckImport(import).error);
}

repo::CvsRoot Root(const char* text) {
    repo::CvsRoot root;
    EXPECT_EQ(RootError::kNone, repo::ParseRoot(text, root));
    return root;
}

TEST(PasswordFile, ScramblingIsTheClientsAndItsOwnInverse) {
    // What the client's own login wrote for "secret".
    EXPECT_EQ("AZdh d,", repo::Scramble("secret"));
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    std::string back;
    ASSERT_TRUE(repo::Descramble(repo::Scramble(all), back));
    EXPECT_EQ(all, back);
    back = "kept";
    EXPECT_FALSE(repo::Descramble("Bxyz", back));
    EXPECT_EQ("kept", back);
}

TEST(PasswordFile, FindsTheRootInEitherFormAndLineEnd) {
    const repo::CvsRoot root = Root(":pserver:me@Host:/cvs");
    const struct {
        const char* file;
        bool found;
        const char* password;
    } kCases[] = {
        {"/1 :pserver:me@host:2401/cvs AZdh d,\n", true, "AZdh d,"},
        {"/1 :pserver:me@host:2401/cvs AZdh d,\r\n", true, "AZdh d,"},
        {"/1 :pserver:other@host:2401/cvs A\n/1 :pserver:me@host:2401/cvs Ab", true, "Ab"},
        {":pserver:me@HOST:/cvs/ Aold\n", true, "Aold"},      // older line, read as the client reads it
        {":pserver:me@host:2401/cvs Aold\r\n", true, "Aold"},
        {"/1 :pserver:me@host:2402/cvs Ax\n", false, ""},      // another port
        {"/2 :pserver:me@host:2401/cvs Ax\n", false, ""},      // an unknown version
        {"/1 :pserver:me@host:2401/cvsroot Ax\n", false, ""},
        {"garbage\n\n/1\n", false, ""},
    };
    for (const auto& c : kCases) {
        std::string password;
        EXPECT_EQ(c.found, repo::FindPassword(c.file, root, password)) << c.file;
        if (c.found) {
            EXPECT_EQ(c.password, password) << c.file;
        }
    }
}

TEST(PasswordFile, ReplacesOneLineAndKeepsEveryOtherByteForByte) {
    const repo::CvsRoot root = Root(":pserver:me@host:/cvs");
    const std::string line = "/1 :pserver:me@host:2401/cvs Anew";
    const struct {
        const char* before;
        bool crlf;
        std::string after;
    } kCases[] = {
        {"", true, line + "\r\n"},
        {"", false, line + "\n"},
        {"/1 :pserver:a@b:2401/x Aa\n", true, "/1 :pserver:a@b:2401/x Aa\n" + line + "\n"},
        {"/1 :pserver:a@b:2401/x Aa\r\n", false, "/1 :pserver:a@b:2401/x Aa\r\n" + line + "\r\n"},
        {"keep me  \r\n:pserver:me@host:/cvs Aold\r\nlast  \n", false, "keep me  \r\n" + line + "\r\nlast  \n"},
        {"/1 :pserver:me@host:2401/cvs A1\nx\n:pserver:me@host:/cvs A2\n", true, line + "\nx\n"},
        {"no end", true, "no end\r\n" + line + "\r\n"},
        {"x\n/1 :pserver:me@host:2401/cvs Aold", true, "x\n" + line},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(c.after, repo::SetPasswordLine(c.before, root, "Anew", c.crlf)) << c.before;
    }
    bool removed = false;
    EXPECT_EQ("a\r\nb",
              repo::RemovePasswordLines("a\r\n/1 :pserver:me@host:2401/cvs A1\r\n:pserver:me@host:/cvs A2\nb", root,
                                        removed));
    EXPECT_TRUE(removed);
    EXPECT_EQ("a\n", repo::RemovePasswordLines("a\n", root, removed));
    EXPECT_FALSE(removed);
}

// A failed command offers a login only where one helps: the client's words for a missing or refused
// password, in a folder whose root is a :pserver: one.
TEST(LoginRequest, OfferedForThePserverRootOfTheFailingFolder) {
    const std::string pserver = ":pserver:me@127.0.0.1:2401/cvs";
    const struct {
        const char* what;
        std::string err;
        std::string root;
        std::string offered;
    } kCases[] = {
        {"older client, no password", "cvs [update aborted]: use \"cvs login\" to log in first\r\n", pserver, pserver},
        {"no line for the root", "cvs update: used empty password; try \"cvs login\" with a real password\n",
         pserver, pserver},
        {"a wrong password",
         "cvs commit: authorization failed: server 127.0.0.1 rejected access to /cvs for user me\r\n", pserver,
         pserver},
        {"another failure", "cvs update: cannot open CVS/Entries for reading\r\n", pserver, ""},
        {"a file named like the message", "cvs update: authorization failed: server.txt is in the way\r\n", pserver,
         ""},
        {"ssh: a login means nothing", "cvs update: used empty password; try \"cvs login\"\r\n", ":ext:me@host:/cvs",
         ""},
        {"local repository", "cvs update: used empty password\r\n", ":local:C:/repo", ""},
        {"no root read", "cvs update: used empty password\r\n", "", ""},
        {"a root refused before anything runs", "cvs update: used empty password\r\n", ":pserver:-oProxy@host:/cvs",
         ""},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(c.offered, repo::LoginRootFor(c.err, c.root)) << c.what;
    }
}

}  // namespace
