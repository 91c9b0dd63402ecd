#pragma once
// Seeded derivation of damaged inputs from good ones, shared by the suites
// that feed mutated files, batches and values to the product. The same seed
// gives the same sequence of variants on every run.
#include <cstddef>
#include <random>
#include <string>

class Mutator {
public:
    using Bytes = std::string;

    enum Kind {
        kFlipBits,
        kCut,  // at one of the length classes: nothing, one byte, head, middle, end
        kDuplicateSpan,
        kDeleteSpan,
        kHugeAttribute,  // an attribute of up to 300,000 bytes inside some tag
        kHugeText,       // up to a million bytes of text after some tag
        kDeepNesting,    // a feed nested 100,000 levels deep
        kManyItems,      // thousands of copies of the first item
        kInvalidUtf8,
        kDeclareEncoding,  // an XML declaration naming an encoding the bytes do not use
        kNulBytes,
        kSplice,  // random bytes at random places
        kKindCount
    };

    explicit Mutator(unsigned seed) : random_(seed) {}

    Bytes Derive(const Bytes& source, int kind);
    // One of the kinds that need no knowledge of the input's syntax.
    Bytes DeriveBytes(const Bytes& source);

    // A number from low to high, both included.
    size_t Pick(size_t low, size_t high) {
        if (high <= low) return low;
        size_t span = high - low;
        size_t value = random_();
        // The whole range of a 32-bit size_t has no count that fits in one.
        return low + (span == static_cast<size_t>(-1) ? value : value % (span + 1));
    }
    Bytes RandomBytes(size_t count);

private:
    void FlipBits(Bytes& text);
    size_t CutLength(size_t size);
    void DuplicateSpan(Bytes& text);
    void DeleteSpan(Bytes& text);
    void Splice(Bytes& text);
    static void Insert(Bytes& text, size_t at, const Bytes& part);
    size_t AtTagEnd(const Bytes& text);
    size_t AfterTag(const Bytes& text);
    Bytes DeepNesting();
    void ManyItems(Bytes& text);
    Bytes InvalidUtf8();
    void DeclareEncoding(Bytes& text);

    std::mt19937 random_;
};
