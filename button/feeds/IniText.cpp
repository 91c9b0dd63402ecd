#include "feeds/IniText.h"

namespace {
const char kUtf16Bom[] = "\xFF\xFE";
const char kUtf8Bom[] = "\xEF\xBB\xBF";

std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                            size, nullptr, nullptr);
    return bytes;
}

std::wstring Widen(const char* bytes, size_t length, UINT codePage) {
    if (!length) return std::wstring();
    int size = MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), nullptr, 0);
    std::wstring text(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(codePage, 0, bytes, static_cast<int>(length), &text[0], size);
    return text;
}
}  // namespace

bool IniText::Load(const std::wstring& path) {
    text_.clear();
    encoding_ = Encoding::kUtf16;
    existed_ = false;
    // Sharing deletion too: a writer that replaces the file must not fail
    // because it is being read.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    std::string bytes;
    char buffer[8192];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got)
        bytes.append(buffer, got);
    CloseHandle(file);
    if (!ok) return false;
    existed_ = true;
    Decode(bytes);
    return true;
}

void IniText::Decode(const std::string& bytes) {
    if (bytes.empty()) {
        // Nothing says otherwise: kept as the store creates its files.
        encoding_ = Encoding::kUtf16;
        text_.clear();
    } else if (bytes.compare(0, 2, kUtf16Bom) == 0) {
        encoding_ = Encoding::kUtf16;
        text_.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                     (bytes.size() - 2) / sizeof(wchar_t));
    } else if (bytes.compare(0, 3, kUtf8Bom) == 0) {
        encoding_ = Encoding::kUtf8;
        text_ = Widen(bytes.data() + 3, bytes.size() - 3, CP_UTF8);
    } else {
        encoding_ = Encoding::kAnsi;
        text_ = Widen(bytes.data(), bytes.size(), CP_ACP);
    }
}

std::string IniText::Encode() const {
    switch (encoding_) {
        case Encoding::kUtf16:
            return kUtf16Bom + std::string(reinterpret_cast<const char*>(text_.data()),
                                           text_.size() * sizeof(wchar_t));
        case Encoding::kUtf8:
            return kUtf8Bom + Narrow(text_, CP_UTF8);
        default:
            return Narrow(text_, CP_ACP);
    }
}
