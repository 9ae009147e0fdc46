// Bitmaps, toolbar, icons, animation and manifest: present with the sizes and colour depths the
// other parts of the module load them with, and drawn as the overlay marks promise.
#include "resource_reader.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

using restest::ResourceBytes;

namespace {

constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

HMODULE Self() { return ::GetModuleHandleW(nullptr); }

template <typename T>
T At(const std::vector<std::uint8_t>& bytes, size_t offset) {
    T value{};
    if (offset + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// Palette index of pixel (x, y), top-down, of a 4-bit bottom-up DIB resource.
int Pixel4(const std::vector<std::uint8_t>& dib, int x, int y) {
    auto header = At<BITMAPINFOHEADER>(dib, 0);
    size_t stride = ((header.biWidth * 4 + 31) / 32) * 4;
    size_t bits = header.biSize + 16 * sizeof(RGBQUAD);
    size_t row = static_cast<size_t>(header.biHeight - 1 - y);
    std::uint8_t byte = At<std::uint8_t>(dib, bits + row * stride + x / 2);
    return (x % 2) ? (byte & 0x0F) : (byte >> 4);
}

constexpr int kYellow = 11, kCyan = 14;

// The built DLL's path (ASCII: a build folder under Z:).
std::wstring Ferrow() {
    const std::string narrow = FERROW_DLL;
    return std::wstring(narrow.begin(), narrow.end());
}

}  // namespace

TEST(Images, MenuBitmapsAreThirteenSquareInSixteenColours) {
    const UINT ids[] = {IDB_CVS,  IDB_ADD, IDB_REMOVE,    IDB_UPDATE,    IDB_COMMIT, IDB_DIFF,
                        IDB_UNDO, IDB_OPTIONS, IDB_TAG, IDB_RESET_TAG, IDB_CUSTOM};
    std::set<std::vector<std::uint8_t>> distinct;
    for (UINT id : ids) {
        SCOPED_TRACE(testing::Message() << "bitmap " << id);
        auto dib = ResourceBytes(Self(), RT_BITMAP, id, kNeutral);
        ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
        auto header = At<BITMAPINFOHEADER>(dib, 0);
        EXPECT_EQ(13, header.biWidth);
        EXPECT_EQ(13, header.biHeight);
        EXPECT_EQ(4, header.biBitCount);
        EXPECT_EQ(DWORD(BI_RGB), header.biCompression);
        distinct.insert(dib);
        // The way the context menu loads it.
        HBITMAP bitmap = ::LoadBitmapW(Self(), MAKEINTRESOURCEW(id));
        ASSERT_NE(nullptr, bitmap);
        BITMAP info = {};
        ASSERT_TRUE(::GetObjectW(bitmap, sizeof(info), &info));
        EXPECT_EQ(13, info.bmWidth);
        EXPECT_EQ(13, info.bmHeight);
        ::DeleteObject(bitmap);
    }
    EXPECT_EQ(std::size(ids), distinct.size()) << "every item has a picture of its own";
}

TEST(Images, HistoryStripAndToolbar) {
    auto dib = ResourceBytes(Self(), RT_BITMAP, IDB_HISTORY, kNeutral);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    auto header = At<BITMAPINFOHEADER>(dib, 0);
    EXPECT_EQ(64, header.biWidth);
    EXPECT_EQ(16, header.biHeight);
    EXPECT_EQ(4, header.biBitCount);

    // Folders (0, 1) are yellow; the working revision (3) is the cyan version of the page (2).
    auto countColour = [&](int image, int colour) {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) n += Pixel4(dib, image * 16 + x, y) == colour;
        return n;
    };
    EXPECT_GT(countColour(IDX_HISTORY_BRANCH, kYellow), 40);
    EXPECT_GT(countColour(IDX_HISTORY_BRANCH_SELECTED, kYellow), 20);
    EXPECT_EQ(0, countColour(IDX_HISTORY_REVISION, kCyan));
    EXPECT_GT(countColour(IDX_HISTORY_WORKING, kCyan), 40);
    EXPECT_NE(countColour(IDX_HISTORY_BRANCH, kYellow), countColour(IDX_HISTORY_BRANCH_SELECTED, kYellow));

    // Toolbar resource: version 1, 16 x 16 buttons, four of them.
    auto toolbar = ResourceBytes(Self(), MAKEINTRESOURCEW(241), IDR_HISTORY_TOOLBAR, kNeutral);
    ASSERT_EQ(8u + 4 * 2, toolbar.size());
    EXPECT_EQ(1, At<WORD>(toolbar, 0));
    EXPECT_EQ(16, At<WORD>(toolbar, 2));
    EXPECT_EQ(16, At<WORD>(toolbar, 4));
    EXPECT_EQ(4, At<WORD>(toolbar, 6));

    // The image list the property sheet builds from it.
    HIMAGELIST list = ::ImageList_Create(16, 16, ILC_COLOR, 2, 2);
    ASSERT_NE(nullptr, list);
    HBITMAP bitmap = ::LoadBitmapA(Self(), MAKEINTRESOURCEA(IDB_HISTORY));
    ASSERT_NE(nullptr, bitmap);
    EXPECT_EQ(0, ::ImageList_Add(list, bitmap, nullptr));
    EXPECT_EQ(4, ::ImageList_GetImageCount(list));
    ::DeleteObject(bitmap);
    ::ImageList_Destroy(list);
}

TEST(Images, IconGroupsHoldTheStatedImages) {
    struct Image {
        int size, bits;
    };
    struct Case {
        UINT id;
        std::vector<Image> images;
    };
    const Case cases[] = {
        {IDI_FERROW, {{32, 4}, {32, 8}, {16, 4}}},
        {IDI_CONTROLLED, {{32, 4}, {16, 4}}},
        {IDI_MODIFIED, {{32, 4}, {16, 4}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "icon group " << c.id);
        auto group = ResourceBytes(Self(), RT_GROUP_ICON, c.id, kNeutral);
        ASSERT_GE(group.size(), 6u);
        ASSERT_EQ(c.images.size(), At<WORD>(group, 4));
        for (size_t i = 0; i < c.images.size(); ++i) {
            size_t entry = 6 + 14 * i;  // GRPICONDIRENTRY
            EXPECT_EQ(c.images[i].size, At<BYTE>(group, entry));
            EXPECT_EQ(c.images[i].size, At<BYTE>(group, entry + 1));
            EXPECT_EQ(c.images[i].bits, At<WORD>(group, entry + 6));
            auto image = ResourceBytes(Self(), RT_ICON, At<WORD>(group, entry + 12), kNeutral);
            auto header = At<BITMAPINFOHEADER>(image, 0);
            EXPECT_EQ(c.images[i].size, header.biWidth);
            EXPECT_EQ(c.images[i].size * 2, header.biHeight);
            EXPECT_EQ(c.images[i].bits, header.biBitCount);
        }
    }
}

namespace {

// Draws an icon over a known background and reads the pixels back as RGB.
class Canvas {
public:
    explicit Canvas(int size) : size_(size) {
        BITMAPINFO bmi = {};
        bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc_, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
        for (int i = 0; i < size * size; ++i) bits_[i] = kBackground;
    }
    ~Canvas() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    bool Draw(HICON icon) { return ::DrawIconEx(dc_, 0, 0, icon, size_, size_, 0, nullptr, DI_NORMAL); }
    DWORD At(int x, int y) const { return bits_[y * size_ + x] & 0xFFFFFF; }

    static constexpr DWORD kBackground = 0x00FF00;  // green shows through transparent pixels

private:
    int size_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

constexpr DWORD kBlue = 0x0000FF, kRed = 0xFF0000, kBlack = 0, kSilver = 0xC0C0C0;

// The overlay mark: coloured legs of `legs` pixels, a black diagonal, at 32 x 32 a light grey one,
// transparent beyond.
void ExpectTriangle(const Canvas& canvas, int size, DWORD colour) {
    const int legs = size == 16 ? 6 : 11;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int d = x + y;
            DWORD expected = d < legs ? colour
                             : d == legs ? kBlack
                             : (d == legs + 1 && size == 32) ? kSilver
                                                             : Canvas::kBackground;
            ASSERT_EQ(expected, canvas.At(x, y)) << "pixel " << x << "," << y << " of " << size;
        }
    }
}

}  // namespace

TEST(Images, OverlayMarksAreBlueAndRedCornerTriangles) {
    struct Case {
        UINT id;
        DWORD colour;
    };
    const Case cases[] = {{IDI_CONTROLLED, kBlue}, {IDI_MODIFIED, kRed}};
    for (const auto& c : cases) {
        for (int size : {16, 32}) {
            SCOPED_TRACE(testing::Message() << "icon " << c.id << " size " << size);
            HICON icon = static_cast<HICON>(::LoadImageW(Self(), MAKEINTRESOURCEW(c.id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(nullptr, icon);
            Canvas canvas(size);
            ASSERT_TRUE(canvas.Draw(icon));
            ExpectTriangle(canvas, size, c.colour);
            ::DestroyIcon(icon);
        }
    }
}

// The shell finds the overlay marks by their position among the DLL's icon groups: the module's icon,
// then the two marks; the menu's icons come after them.
TEST(Images, ShellIconIndicesOfTheDll) {
    EXPECT_LT(3u, ::ExtractIconExW(Ferrow().c_str(), -1, nullptr, nullptr, 0));
    struct Case {
        int index;
        DWORD colour;
    };
    for (const Case& c : {Case{1, kBlue}, Case{2, kRed}}) {
        HICON small = nullptr;
        ASSERT_EQ(1u, ::ExtractIconExW(Ferrow().c_str(), c.index, nullptr, &small, 1)) << c.index;
        ASSERT_NE(nullptr, small);
        Canvas canvas(16);
        ASSERT_TRUE(canvas.Draw(small));
        EXPECT_EQ(c.colour, canvas.At(0, 0)) << c.index;
        EXPECT_EQ(Canvas::kBackground, canvas.At(15, 15)) << c.index;
        ::DestroyIcon(small);
    }
}

namespace {

struct Chunk {
    std::string id;
    size_t data;  // offset of the chunk's data
    size_t size;
};

// The chunks directly inside the list whose data spans [begin, end).
std::vector<Chunk> Chunks(const std::vector<std::uint8_t>& avi, size_t begin, size_t end) {
    std::vector<Chunk> out;
    for (size_t pos = begin; pos + 8 <= end;) {
        Chunk c{std::string(reinterpret_cast<const char*>(avi.data() + pos), 4), pos + 8, At<DWORD>(avi, pos + 4)};
        if (c.data + c.size > end) break;
        out.push_back(c);
        pos = c.data + c.size + (c.size & 1);
    }
    return out;
}

const Chunk* FindList(const std::vector<std::uint8_t>& avi, const std::vector<Chunk>& chunks, const char* type) {
    for (const auto& c : chunks)
        if (c.id == "LIST" && std::memcmp(avi.data() + c.data, type, 4) == 0) return &c;
    return nullptr;
}

// Decodes one BI_RLE8 frame; false when the data over- or underruns the picture.
bool DecodeRle8(const std::uint8_t* p, size_t n, int width, int height) {
    int x = 0, y = 0;
    for (size_t i = 0; i + 1 < n; i += 2) {
        std::uint8_t count = p[i], value = p[i + 1];
        if (count) {
            x += count;
            if (x > width) return false;
            continue;
        }
        if (value == 0) {  // end of line
            if (x != width) return false;
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return x == width && y == height - 1 && i + 2 == n;
        } else {
            return false;  // deltas and absolute runs are not used by our encoder
        }
    }
    return false;
}

}  // namespace

TEST(Images, ProgressAnimationIsRle8Clip) {
    auto avi = ResourceBytes(Self(), L"AVI", IDR_PROGRESS_AVI, kNeutral);
    ASSERT_GT(avi.size(), 12u);
    ASSERT_EQ(0, std::memcmp(avi.data(), "RIFF", 4));
    ASSERT_EQ(0, std::memcmp(avi.data() + 8, "AVI ", 4));
    auto top = Chunks(avi, 12, avi.size());
    const Chunk* hdrl = FindList(avi, top, "hdrl");
    const Chunk* movi = FindList(avi, top, "movi");
    ASSERT_NE(nullptr, hdrl);
    ASSERT_NE(nullptr, movi);

    auto head = Chunks(avi, hdrl->data + 4, hdrl->data + hdrl->size);
    ASSERT_FALSE(head.empty());
    ASSERT_EQ("avih", head[0].id);
    EXPECT_EQ(100000u, At<DWORD>(avi, head[0].data));       // 10 frames a second
    EXPECT_EQ(17u, At<DWORD>(avi, head[0].data + 16));      // frames
    EXPECT_EQ(260u, At<DWORD>(avi, head[0].data + 32));     // width
    EXPECT_EQ(40u, At<DWORD>(avi, head[0].data + 36));      // height
    const Chunk* strl = FindList(avi, head, "strl");
    ASSERT_NE(nullptr, strl);
    auto stream = Chunks(avi, strl->data + 4, strl->data + strl->size);
    ASSERT_EQ(2u, stream.size());
    EXPECT_EQ(0, std::memcmp(avi.data() + stream[0].data, "vids", 4));
    auto format = At<BITMAPINFOHEADER>(avi, stream[1].data);
    EXPECT_EQ(DWORD(BI_RLE8), format.biCompression);
    EXPECT_EQ(8, format.biBitCount);
    EXPECT_EQ(260, format.biWidth);
    EXPECT_EQ(40, format.biHeight);

    auto frames = Chunks(avi, movi->data + 4, movi->data + movi->size);
    ASSERT_EQ(17u, frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ("00dc", frames[i].id);
        EXPECT_TRUE(DecodeRle8(avi.data() + frames[i].data, frames[i].size, 260, 40)) << "frame " << i;
    }
}

TEST(Images, AnimationControlOpensTheClip) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_ANIMATE_CLASS};
    ASSERT_TRUE(::InitCommonControlsEx(&icc));
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    HWND animation = ::CreateWindowExW(0, ANIMATE_CLASSW, L"", WS_CHILD | ACS_TRANSPARENT, 0, 0, 260, 40, owner,
                                       nullptr, Self(), nullptr);
    ASSERT_NE(nullptr, animation);
    EXPECT_TRUE(::SendMessageW(animation, ACM_OPENW, reinterpret_cast<WPARAM>(Self()),
                               reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(IDR_PROGRESS_AVI))));
    ::DestroyWindow(owner);
}

TEST(Images, ManifestAsksForInvokerLevel) {
    auto manifest = ResourceBytes(Self(), RT_MANIFEST, IDR_MANIFEST, kNeutral);
    std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(std::string::npos, text.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, text.find("uiAccess=\"false\""));

    // The property sheet builds an activation context from it; that must parse.
    ACTCTXW context = {sizeof(context)};
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    std::wstring dll = Ferrow();
    context.lpSource = dll.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(IDR_MANIFEST);
    HANDLE handle = ::CreateActCtxW(&context);
    ASSERT_NE(INVALID_HANDLE_VALUE, handle) << ::GetLastError();
    ULONG_PTR cookie = 0;
    EXPECT_TRUE(::ActivateActCtx(handle, &cookie));
    EXPECT_TRUE(::DeactivateActCtx(0, cookie));
    ::ReleaseActCtx(handle);

    // And the loader accepts the DLL that carries it.
    HMODULE module = ::LoadLibraryW(dll.c_str());
    EXPECT_NE(nullptr, module) << ::GetLastError();
    if (module) ::FreeLibrary(module);
}
