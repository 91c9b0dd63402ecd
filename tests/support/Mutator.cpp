#include "support/Mutator.h"

Mutator::Bytes Mutator::Derive(const Bytes& source, int kind) {
    Bytes text = source;
    switch (kind) {
        case kFlipBits:
            FlipBits(text);
            break;
        case kCut:
            text.resize(CutLength(text.size()));
            break;
        case kDuplicateSpan:
            DuplicateSpan(text);
            break;
        case kDeleteSpan:
            DeleteSpan(text);
            break;
        case kHugeAttribute:
            Insert(text, AtTagEnd(text), " a=\"" + Bytes(Pick(1000, 300000), 'x') + "\"");
            break;
        case kHugeText:
            Insert(text, AfterTag(text), Bytes(Pick(1000, 1000000), 'y'));
            break;
        case kDeepNesting:
            text = DeepNesting();
            break;
        case kManyItems:
            ManyItems(text);
            break;
        case kInvalidUtf8:
            Insert(text, Pick(0, text.size()), InvalidUtf8());
            break;
        case kDeclareEncoding:
            DeclareEncoding(text);
            break;
        case kNulBytes:
            Insert(text, Pick(0, text.size()), Bytes(Pick(1, 4), '\0'));
            break;
        default:
            Splice(text);
            break;
    }
    return text;
}

Mutator::Bytes Mutator::DeriveBytes(const Bytes& source) {
    static const int kPlainKinds[] = {kFlipBits,    kCut,      kDuplicateSpan, kDeleteSpan,
                                      kInvalidUtf8, kNulBytes, kSplice};
    return Derive(source, kPlainKinds[Pick(0, sizeof kPlainKinds / sizeof kPlainKinds[0] - 1)]);
}

Mutator::Bytes Mutator::RandomBytes(size_t count) {
    Bytes bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random_());
    return bytes;
}

void Mutator::FlipBits(Bytes& text) {
    if (text.empty()) return;
    for (size_t n = Pick(1, 8); n; --n) text[Pick(0, text.size() - 1)] ^= 1 << Pick(0, 7);
}

size_t Mutator::CutLength(size_t size) {
    switch (Pick(0, 4)) {
        case 0:
            return 0;
        case 1:
            return size ? 1 : 0;
        case 2:
            return Pick(0, size < 40 ? size : 40);
        case 3:
            return Pick(0, size);
        default:
            return size ? size - Pick(1, size < 8 ? size : 8) : 0;
    }
}

void Mutator::DuplicateSpan(Bytes& text) {
    size_t start = Pick(0, text.size());
    size_t length = Pick(0, text.size() - start);
    Bytes span = text.substr(start, length);
    for (size_t n = Pick(1, 3); n; --n) text.insert(Pick(0, text.size()), span);
}

void Mutator::DeleteSpan(Bytes& text) {
    size_t start = Pick(0, text.size());
    text.erase(start, Pick(0, text.size() - start));
}

void Mutator::Splice(Bytes& text) {
    for (size_t n = Pick(1, 16); n; --n)
        Insert(text, Pick(0, text.size()), Bytes(1, static_cast<char>(random_())));
}

void Mutator::Insert(Bytes& text, size_t at, const Bytes& part) {
    text.insert(at < text.size() ? at : text.size(), part);
}

// Just before the ">" of some tag, where an attribute would go.
size_t Mutator::AtTagEnd(const Bytes& text) {
    size_t at = text.find('>', Pick(0, text.size()));
    return at == Bytes::npos ? text.find('>') : at;
}

size_t Mutator::AfterTag(const Bytes& text) {
    size_t at = AtTagEnd(text);
    return at == Bytes::npos ? text.size() : at + 1;
}

Mutator::Bytes Mutator::DeepNesting() {
    const size_t depth = 100000;
    Bytes text = "<rss><channel><title>t</title><link>l</link>";
    text.reserve(depth * 7 + 64);
    for (size_t i = 0; i < depth; ++i) text += "<item>";
    if (Pick(0, 1))
        for (size_t i = 0; i < depth; ++i) text += "</item>";
    return text + "</channel></rss>";
}

void Mutator::ManyItems(Bytes& text) {
    size_t at = text.find("<item");
    if (at == Bytes::npos) at = text.find("<entry");
    Bytes item = at == Bytes::npos ? Bytes("<item><title>t</title><link>l</link></item>")
                                   : text.substr(at, text.find('>', at) + 1 - at) +
                                         "<title>t</title><link>l</link></item>";
    Bytes many;
    for (size_t n = Pick(1000, 3000); n; --n) many += item;
    Insert(text, at == Bytes::npos ? AfterTag(text) : at, many);
}

Mutator::Bytes Mutator::InvalidUtf8() {
    static const char* const kBad[] = {"\xC0\xAF",
                                       "\xFF\xFE",
                                       "\x80",
                                       "\xED\xA0\x80",
                                       "\xF4\x90\x80\x80",
                                       "\xE4\xB8",
                                       "\xF8\x88\x80\x80\x80"};
    return kBad[Pick(0, sizeof kBad / sizeof kBad[0] - 1)];
}

void Mutator::DeclareEncoding(Bytes& text) {
    static const char* const kNames[] = {"GB2312", "GBK",          "Big5",       "Shift_JIS",
                                         "UTF-16", "windows-1251", "ISO-8859-1", "x-unknown"};
    Bytes declaration = Bytes("<?xml version=\"1.0\" encoding=\"") +
                        kNames[Pick(0, sizeof kNames / sizeof kNames[0] - 1)] + "\"?>";
    if (text.compare(0, 5, "<?xml") == 0) text.erase(0, text.find('>') + 1);
    text.insert(0, declaration);
}
