// The registration-script parser: the tree it builds, the replacements, and malformed input.
#include "com/core/registry_script.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using ferrow::ParseRegistryScript;
using ferrow::RegistryData;
using ferrow::RegistryFlag;
using ferrow::RegistryReplacements;
using ferrow::RegistryRoot;
using ferrow::RegistryScript;

RegistryReplacements SampleReplacements() {
    RegistryReplacements r;
    r.Add(L"Module", L"C:\\Program Files\\It's\\Ferrow.dll");
    r.Add(L"APPID", L"{40800506-71FE-4869-A7C2-03863B226599}");
    return r;
}

const wchar_t kSample[] = LR"(HKCR
{
	NoRemove AppID
	{
		'%APPID%' = s 'Ferrow'
		'Ferrow.DLL'
		{
			val AppID = s '%appid%'
		}
	}
	NoRemove *
	{
		ForceRemove Ferrow = s 'it''s 100%% %MODULE%'
	}
}
hkey_local_machine
{
	NoRemove Software
	{
		val Count = d '0x1F'
		val Plain = d 42
		val Bytes = b '00ff7A'
		Delete Old
		ForceRemove Empty
	}
}
)";

TEST(RegistryScript, BuildsTheTree) {
    RegistryScript script;
    std::wstring error;
    ASSERT_TRUE(ParseRegistryScript(kSample, SampleReplacements(), script, error)) << error;
    ASSERT_EQ(2u, script.roots.size());
    EXPECT_EQ(RegistryRoot::ClassesRoot, script.roots[0].root);
    EXPECT_EQ(RegistryRoot::LocalMachine, script.roots[1].root);

    const auto& appid = script.roots[0].children.at(0);
    EXPECT_EQ(L"AppID", appid.name);
    EXPECT_EQ(RegistryFlag::NoRemove, appid.flag);
    EXPECT_FALSE(appid.hasData);
    ASSERT_EQ(2u, appid.children.size());
    EXPECT_EQ(L"{40800506-71FE-4869-A7C2-03863B226599}", appid.children[0].name);
    EXPECT_TRUE(appid.children[0].hasData);
    EXPECT_EQ(L"Ferrow", appid.children[0].data.text);
    const auto& value = appid.children[1].children.at(0);
    EXPECT_TRUE(value.isValue);
    EXPECT_EQ(L"AppID", value.name);
    EXPECT_EQ(L"{40800506-71FE-4869-A7C2-03863B226599}", value.data.text);  // names match in any case

    const auto& star = script.roots[0].children.at(1);
    EXPECT_EQ(L"*", star.name);
    const auto& handler = star.children.at(0);
    EXPECT_EQ(RegistryFlag::ForceRemove, handler.flag);
    // A quote inside the replacement text needs no escaping: replacements are applied after tokenising.
    EXPECT_EQ(L"it's 100% C:\\Program Files\\It's\\Ferrow.dll", handler.data.text);

    const auto& software = script.roots[1].children.at(0).children;
    ASSERT_EQ(5u, software.size());
    EXPECT_EQ(RegistryData::Type::Dword, software[0].data.type);
    EXPECT_EQ(0x1Fu, software[0].data.number);
    EXPECT_EQ(42u, software[1].data.number);
    EXPECT_EQ(RegistryData::Type::Binary, software[2].data.type);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0xff, 0x7a}), software[2].data.bytes);
    EXPECT_EQ(RegistryFlag::Delete, software[3].flag);
    EXPECT_EQ(RegistryFlag::ForceRemove, software[4].flag);
    EXPECT_FALSE(software[4].hasData);
}

TEST(RegistryScript, EmptyScriptIsValid) {
    RegistryScript script;
    std::wstring error;
    EXPECT_TRUE(ParseRegistryScript(L"", {}, script, error));
    EXPECT_TRUE(ParseRegistryScript(L" \r\n\t", {}, script, error));
    EXPECT_TRUE(script.roots.empty());
}

TEST(RegistryScript, MalformedScriptsAreErrors) {
    struct Case {
        const wchar_t* text;
        const wchar_t* errorPart;
    } const cases[] = {
        {L"HKXX { }", L"root key"},
        {L"{ }", L"root key"},
        {L"HKCR", L"'{'"},
        {L"HKCR {", L"missing '}'"},
        {L"HKCR { A { }", L"missing '}'"},
        {L"HKCR { } }", L"root key"},
        {L"HKCR { A = }", L"data type"},
        {L"HKCR { A = s }", L"expected data"},
        {L"HKCR { A = s Bare }", L"quoted"},
        {L"HKCR { A = x 'y' }", L"unknown data type"},
        {L"HKCR { A = d 'abc' }", L"32-bit"},
        {L"HKCR { A = d '4294967296' }", L"32-bit"},
        {L"HKCR { A = d '0x' }", L"32-bit"},
        {L"HKCR { A = d '' }", L"32-bit"},
        {L"HKCR { A = b 'abc' }", L"hexadecimal"},
        {L"HKCR { A = b 'zz' }", L"hexadecimal"},
        {L"HKCR { A = s 'unterminated }", L"unterminated"},
        {L"HKCR { A = s '%Nope%' }", L"unknown replacement"},
        {L"HKCR { A = s '%Module' }", L"unterminated %"},
        {L"HKCR { val }", L"value name"},
        {L"HKCR { val X }", L"'='"},
        {L"HKCR { val X = s 'y' { } }", L"block"},
        {L"HKCR { Delete X { } }", L"deleted key"},
        {L"HKCR { NoRemove }", L"key name"},
        {L"HKCR { NoRemove = s 'x' }", L"key name"},
        {L"HKCR { '' }", L"empty key name"},
        {L"HKCR { 'a\\b' }", L"backslash"},
        {L"HKCR { = }", L"key name"},
    };
    const RegistryReplacements replacements = SampleReplacements();
    for (const auto& c : cases) {
        const std::wstring text = c.text;
        RegistryScript script;
        std::wstring error;
        EXPECT_FALSE(ParseRegistryScript(text, replacements, script, error)) << text.c_str();
        EXPECT_TRUE(script.roots.empty());
        EXPECT_NE(std::wstring::npos, error.find(c.errorPart)) << text.c_str() << " -> " << error.c_str();
    }
}

TEST(RegistryScript, NulCharacterIsRefused) {
    // The registry would cut the text at the NUL; the script is refused instead.
    const std::wstring text = std::wstring(L"HKCR { A = s 'x") + L'\0' + L"y' }";
    RegistryScript script;
    std::wstring error;
    EXPECT_FALSE(ParseRegistryScript(text, {}, script, error));
    EXPECT_NE(std::wstring::npos, error.find(L"NUL"));
}

TEST(RegistryScript, ErrorNamesTheLine) {
    RegistryScript script;
    std::wstring error;
    EXPECT_FALSE(ParseRegistryScript(L"HKCR\n{\n\n  A = q 'x'\n}", {}, script, error));
    EXPECT_EQ(0u, error.find(L"line 4:")) << error.c_str();
}

TEST(RegistryScript, DeepNestingIsRefused) {
    std::wstring text = L"HKCR {";
    for (int i = 0; i < 100000; ++i) text += L" K {";
    RegistryScript script;
    std::wstring error;
    EXPECT_FALSE(ParseRegistryScript(text, {}, script, error));
    EXPECT_NE(std::wstring::npos, error.find(L"nested")) << error.c_str();

    std::wstring ok = L"HKCR {";
    for (int i = 1; i < ferrow::kMaxRegistryDepth; ++i) ok += L" K {";
    for (int i = 0; i < ferrow::kMaxRegistryDepth; ++i) ok += L" }";
    EXPECT_TRUE(ParseRegistryScript(ok, {}, script, error)) << error.c_str();
}

// Random damage to a valid script must give a clean answer, never a fault (run under ASan and UBSan).
TEST(RegistryScript, SurvivesRandomDamage) {
    const std::wstring base = kSample;
    const RegistryReplacements replacements = SampleReplacements();
    const wchar_t alphabet[] = L"{}='%% \n\tabsdHKCRval0x\\\0";
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        std::wstring text = base;
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const size_t at = random() % text.size();
            switch (random() % 3) {
                case 0: text.erase(at, 1 + random() % 8); break;
                case 1: text.insert(at, 1, alphabet[random() % (sizeof(alphabet) / sizeof(wchar_t))]); break;
                default: text = text.substr(0, at); break;
            }
        }
        RegistryScript script;
        std::wstring error;
        if (!ParseRegistryScript(text, replacements, script, error)) {
            EXPECT_FALSE(error.empty());
            EXPECT_TRUE(script.roots.empty());
        }
    }
}

}  // namespace
