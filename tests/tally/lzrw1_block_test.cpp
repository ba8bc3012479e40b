// The LZRW1/KH block coder: exact coding, round trips and malformed blocks.

#include "tally/lzrw1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string &text) {
    return Bytes(text.begin(), text.end());
}

Bytes randomBytes(size_t n, unsigned seed, int alphabet = 256) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto &b : out)
        b = uint8_t(rng() % unsigned(alphabet));
    return out;
}

// Words and spaces, the kind of text a tally file holds.
Bytes textBytes(size_t n, unsigned seed) {
    static const char *words[] = {"alpha", "board", "tile", "zorble", "rack", "score",
                                  "win",   "game",  "0",    "12",     "\r\n", "player"};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const std::string w = words[rng() % 12];
        out.insert(out.end(), w.begin(), w.end());
        out.push_back(' ');
    }
    out.resize(n);
    return out;
}

// A plain, unhurried transcription of the coding rules, to hold the
// optimised coder to the same output byte for byte.
Bytes referenceCode(const Bytes &in) {
    const int n = int(in.size());
    auto at = [&](int i) -> int { return i < n ? in[size_t(i)] : 0; };
    std::vector<int> table(4096, -1);
    Bytes out(size_t(n) + 64, 0);
    out[0] = 0x40;
    int control = 1, o = 3, items = 0, pos = 0;
    unsigned bits = 0;
    while (pos < n && o <= n) {
        if (items == 16) {
            out[size_t(control)] = uint8_t(bits >> 8);
            out[size_t(control) + 1] = uint8_t(bits);
            control = o;
            o += 2;
            items = 0;
        }
        int r = 0;
        while (r < 4095 && pos + r < n && in[size_t(pos + r)] == in[size_t(pos)])
            ++r;
        unsigned bit;
        if (r >= 16) {
            out[size_t(o++)] = 0;
            out[size_t(o++)] = uint8_t((r - 16) >> 8);
            out[size_t(o++)] = uint8_t((r - 16) & 0xFF);
            out[size_t(o++)] = in[size_t(pos)];
            pos += r;
            bit = 1;
        } else {
            uint32_t h =
                ((((uint32_t(at(pos)) * 16) ^ uint32_t(at(pos + 1))) * 16) ^ uint32_t(at(pos + 2)));
            h = ((h * 40543u) >> 4) & 0xFFF;
            const int m = table[h];
            int len = 0;
            if (m != -1 && pos - m < 4096)
                while (len < 18 && pos + len < n && in[size_t(pos + len)] == in[size_t(m + len)])
                    ++len;
            table[h] = pos;
            if (len >= 3) {
                const unsigned v = unsigned(pos - m) * 16 + unsigned(len - 3);
                out[size_t(o++)] = uint8_t(v >> 8);
                out[size_t(o++)] = uint8_t(v & 0xFF);
                pos += len;
                bit = 1;
            } else {
                out[size_t(o++)] = in[size_t(pos++)];
                bit = 0;
            }
        }
        bits = (bits * 2 + bit) & 0xFFFF;
        ++items;
    }
    bits = (bits << (16 - items)) & 0xFFFF;
    out[size_t(control)] = uint8_t(bits >> 8);
    out[size_t(control) + 1] = uint8_t(bits);
    if (o > n) {
        Bytes stored{0x80};
        stored.insert(stored.end(), in.begin(), in.end());
        return stored;
    }
    out.resize(size_t(o));
    return out;
}

Bytes code(TLZR &lzr, const Bytes &in) {
    Bytes out(TLZR::BufferSize);
    const int n = lzr.CompressBlock(in.data(), int(in.size()), out.data());
    out.resize(size_t(n));
    return out;
}

// Decodes from a buffer of exactly the block's length, so that a read past
// its end shows under AddressSanitizer. Returns the bytes, or nothing and
// ok = false for a rejected block.
Bytes decode(const Bytes &block, bool *ok = nullptr) {
    auto src = std::make_unique<uint8_t[]>(block.size() + 1);
    std::memcpy(src.get(), block.data(), block.size());
    auto dst = std::make_unique<uint8_t[]>(TLZR::BufferSize);
    const int n = TLZR::DecompressBlock(src.get(), int(block.size()), dst.get());
    if (ok)
        *ok = n >= 0;
    if (n < 0)
        return {};
    return Bytes(dst.get(), dst.get() + n);
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(LzrwBlockCoder, MatchesTheCodingRulesAndRoundTrips) {
    TLZR lzr;
    std::vector<Bytes> inputs = {
        {},
        {7},
        {1, 2},
        {1, 1, 1},
        bytesOf("abcd"),
        randomBytes(100, 1),
        randomBytes(32768, 2),
        randomBytes(32768, 3, 4), // small alphabet: many short matches
        textBytes(32768, 4),
        textBytes(1000, 5),
        Bytes(32768, 0),
        Bytes(17, 'x'),
        Bytes(15, 'x'),
        concat({Bytes(4100, 'a'), bytesOf("xyz"), Bytes(16, 'b'), textBytes(500, 6)}),
    };
    // Runs of every length around the run threshold, between varied bytes.
    for (int r = 12; r <= 20; ++r)
        inputs.push_back(concat(
            {textBytes(40, unsigned(r)), Bytes(size_t(r), 'q'), textBytes(40, unsigned(r) + 100)}));
    // Matches that reach beyond 4095 bytes back are not allowed.
    {
        Bytes far = randomBytes(5000, 7);
        std::memcpy(far.data() + 4500, far.data() + 100, 40);
        inputs.push_back(far);
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        const Bytes coded = code(lzr, inputs[i]);
        EXPECT_EQ(coded, referenceCode(inputs[i]));
        ASSERT_LE(coded.size(), inputs[i].size() + 1);
        EXPECT_EQ(decode(coded), inputs[i]);
    }
}

// Coding two chunks at once must give each the block it gets alone, whatever
// the two hold: either may be short, empty, stored, made of runs or cut so
// that the fast stretch of one ends long before the other's.
TEST(LzrwBlockCoder, PairsOfChunksCodeAsTheyDoAlone) {
    TLZR lzr;
    const std::vector<Bytes> chunks = {
        {},
        bytesOf("ab"),
        bytesOf("abcabcabcabcabcabcabcabc"),
        textBytes(32768, 41),
        textBytes(32768 - 17, 42),
        randomBytes(32768, 43),
        randomBytes(32768, 44, 3),
        Bytes(32768, 'r'),
        concat({textBytes(20000, 45), Bytes(4100, 0), textBytes(8668, 46)}),
        concat({randomBytes(30000, 47), textBytes(2768, 48)}),
        textBytes(700, 49),
    };
    for (size_t i = 0; i < chunks.size(); ++i)
        for (size_t j = 0; j < chunks.size(); ++j) {
            SCOPED_TRACE(testing::Message() << "chunks " << i << " and " << j);
            Bytes first(TLZR::BufferSize), second(TLZR::BufferSize);
            const auto lengths =
                lzr.CompressBlocks(chunks[i].data(), int(chunks[i].size()), first.data(),
                                   chunks[j].data(), int(chunks[j].size()), second.data());
            first.resize(size_t(lengths[0]));
            second.resize(size_t(lengths[1]));
            EXPECT_EQ(first, referenceCode(chunks[i]));
            EXPECT_EQ(second, referenceCode(chunks[j]));
        }
}

// The coder does not clear its tables between chunks; whatever an earlier
// chunk left there must never be taken for a match, also when the
// bookkeeping that tells old entries from new ones starts over, which happens
// after some 65,000 chunks.
TEST(LzrwBlockCoder, EarlierChunksLeaveNoMatchesBehind) {
    TLZR lzr;
    Bytes out(TLZR::BufferSize), other(TLZR::BufferSize);
    int wrong = 0;
    const auto check = [&](const Bytes &chunk, bool pair) {
        const Bytes expected = referenceCode(chunk);
        int length;
        if (pair) {
            const auto lengths = lzr.CompressBlocks(chunk.data(), int(chunk.size()), out.data(),
                                                    chunk.data(), int(chunk.size()), other.data());
            length = lengths[0];
            if (lengths[1] != int(expected.size()) ||
                !std::equal(expected.begin(), expected.end(), other.begin()))
                ++wrong;
        } else {
            length = lzr.CompressBlock(chunk.data(), int(chunk.size()), out.data());
        }
        if (length != int(expected.size()) ||
            !std::equal(expected.begin(), expected.end(), out.begin()))
            ++wrong;
    };

    // The same bytes over and over: an entry left from the previous chunk
    // would point at the very position being coded, or just behind it.
    const Bytes same = concat({bytesOf("0123456789abcdefghijklmnopqrstuvwxyz"), textBytes(40, 51)});
    for (int round = 0; round < 1000; ++round)
        check(same, round % 2 == 1);

    // Chunks of one byte are a single run and touch no entry, so entries
    // stay as they were for many chunks. Now and then, and around the
    // 65,536th chunk, a probe starts with a run (which enters nothing) and
    // later holds three bytes equal to the chunk's first three, at an entry
    // it has not used before: only a stale entry could make that a copy.
    const Bytes filler(40, 'f');
    int probes = 0;
    for (int round = 1000; round < 70000; ++round) {
        const bool probe = round % 997 == 0 || std::abs(round - 65536) < 20;
        if (!probe) {
            lzr.CompressBlock(filler.data(), int(filler.size()), out.data());
            continue;
        }
        const uint8_t c = uint8_t(0x80 + probes++);
        check(concat({Bytes(20, c), bytesOf("xy"), Bytes(3, c), bytesOf("z")}), round % 2 == 1);
    }
    EXPECT_EQ(wrong, 0);
}

TEST(LzrwBlockCoder, StoresChunksThatCodingWouldNotShrink) {
    TLZR lzr;
    // Fewer than four bytes are always stored; an empty chunk is the flag alone.
    for (const Bytes &small : {Bytes{}, Bytes{9}, Bytes{9, 9}, Bytes{9, 9, 9}}) {
        const Bytes coded = code(lzr, small);
        EXPECT_EQ(coded, concat({Bytes{0x80}, small}));
    }
    // 13 distinct letters and a copy of 5: 1 + 2 + 13 + 2 = 18 coded bytes for
    // an 18-byte chunk, so it stays coded.
    const Bytes even = bytesOf("abcdefghijklmabcde");
    const Bytes evenCoded = code(lzr, even);
    EXPECT_EQ(evenCoded.size(), 18u);
    EXPECT_EQ(evenCoded[0], 0x40);
    EXPECT_EQ(decode(evenCoded), even);
    // With a copy of only 4 the coding (18) would exceed the chunk (17).
    const Bytes longer = bytesOf("abcdefghijklmabcd");
    EXPECT_EQ(code(lzr, longer), concat({Bytes{0x80}, longer}));
    // Random bytes do not shrink either.
    const Bytes noise = randomBytes(32768, 11);
    EXPECT_EQ(code(lzr, noise), concat({Bytes{0x80}, noise}));
}

TEST(LzrwBlockCoder, CodesLongRunsAsRunItems) {
    TLZR lzr;
    // 5,000 equal bytes: a run of 4,095 (count field 4,079 = 0x0FEF), then a run
    // of the remaining 905 (count field 889 = 0x0379).
    const Bytes coded = code(lzr, Bytes(5000, 'z'));
    EXPECT_EQ(coded, (Bytes{0x40, 0xC0, 0x00, 0x00, 0x0F, 0xEF, 'z', 0x00, 0x03, 0x79, 'z'}));
    EXPECT_EQ(decode(coded), Bytes(5000, 'z'));
}

TEST(LzrwBlockCoder, OverlappingCopiesRepeatWhatTheyWrite) {
    // One literal and a copy of offset 1, length 18 (field 0x01F).
    EXPECT_EQ(decode({0x40, 0x40, 0x00, 'q', 0x00, 0x1F}), Bytes(19, 'q'));
    // Offset 3, length 18 after "abc": a period-3 pattern.
    EXPECT_EQ(decode({0x40, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x3F}),
              bytesOf("abcabcabcabcabcabcabc"));

    TLZR lzr;
    Bytes pattern;
    for (int i = 0; i < 30; ++i)
        pattern.push_back(uint8_t("abc"[i % 3]));
    const Bytes coded = code(lzr, pattern);
    ASSERT_GE(coded.size(), 8u);
    // The first item after the literals copies from 3 back, 18 long.
    EXPECT_EQ(coded[6], 0x00);
    EXPECT_EQ(coded[7], 0x3F);
    EXPECT_EQ(decode(coded), pattern);
}

// Every offset and length a copy can take near the start of the output,
// overlapping itself or not, decodes as the byte-by-byte rule says, whether
// the item sits far from the block's ends or close to them.
TEST(LzrwBlockDecoder, CopiesOfEveryShortOffsetAndLength) {
    for (int offset = 1; offset <= 24; ++offset)
        for (int length = 3; length <= 18; ++length)
            for (int tail : {0, 30}) {
                SCOPED_TRACE(testing::Message()
                             << "offset " << offset << " length " << length << " tail " << tail);
                // 24 literals, the copy, then tail more literals.
                Bytes literals;
                for (int i = 0; i < 24 + tail; ++i)
                    literals.push_back(uint8_t('A' + i % 26 + (i / 26) * 7));
                Bytes expected(literals.begin(), literals.begin() + 24);
                for (int i = 0; i < length; ++i)
                    expected.push_back(expected[expected.size() - size_t(offset)]);
                expected.insert(expected.end(), literals.begin() + 24, literals.end());

                Bytes block{0x40};
                int item = 0;
                size_t control = 0;
                const auto next = [&](bool copy) {
                    if (item % 16 == 0) {
                        control = block.size();
                        block.insert(block.end(), {0, 0});
                    }
                    if (copy)
                        block[control + (item % 16 < 8 ? 0 : 1)] |= uint8_t(0x80 >> (item % 8));
                    ++item;
                };
                for (int i = 0; i < 24; ++i) {
                    next(false);
                    block.push_back(literals[size_t(i)]);
                }
                next(true);
                const unsigned v = unsigned(offset) * 16 + unsigned(length - 3);
                block.push_back(uint8_t(v >> 8));
                block.push_back(uint8_t(v));
                for (int i = 24; i < 24 + tail; ++i) {
                    next(false);
                    block.push_back(literals[size_t(i)]);
                }
                EXPECT_EQ(decode(block), expected);
            }
}

// The last item of a chunk being a long copy is where coders of this kind
// tend to slip: the length field's top values and the chunk's end meet there.
TEST(LzrwBlockCoder, FinalCopyOfLength17Or18) {
    TLZR lzr;
    const Bytes head = bytesOf("ABCDEFGHIJKLMNOPQRST");
    for (int length : {17, 18}) {
        SCOPED_TRACE(length);
        const Bytes in = concat({head, Bytes(head.begin(), head.begin() + length)});
        const Bytes coded = code(lzr, in);
        ASSERT_EQ(coded[0], 0x40);
        // Offset 20 (0x014) and length field length - 3.
        const size_t n = coded.size();
        EXPECT_EQ(coded[n - 2], 0x01);
        EXPECT_EQ(coded[n - 1], uint8_t(0x40 | (length - 3)));
        EXPECT_EQ(decode(coded), in);
    }
    // A full chunk whose last 18 bytes copy earlier ones: the output ends
    // exactly at the chunk size.
    Bytes full = textBytes(32768 - 18, 21);
    full.insert(full.end(), full.begin() + 1000, full.begin() + 1018);
    ASSERT_EQ(full.size(), 32768u);
    const Bytes coded = code(lzr, full);
    ASSERT_EQ(coded[0], 0x40);
    EXPECT_EQ(coded, referenceCode(full));
    EXPECT_EQ(decode(coded), full);
}

TEST(LzrwBlockDecoder, RejectsMalformedBlocks) {
    struct Case {
        const char *what;
        Bytes block;
    };
    // A run of 4,095 'r': count field 0x0FEF.
    const Bytes run4095 = {0x00, 0x0F, 0xEF, 'r'};
    Bytes nineRuns = {0x40, 0xFF, 0x80};
    for (int i = 0; i < 9; ++i)
        nineRuns.insert(nineRuns.end(), run4095.begin(), run4095.end());
    const Case cases[] = {
        {"copy before the start", {0x40, 0x80, 0x00, 0x00, 0x13}},
        {"copy reaching one byte too far", {0x40, 0x40, 0x00, 'a', 0x00, 0x23}},
        {"output beyond a chunk", nineRuns},
        {"stored block longer than a chunk", concat({Bytes{0x80}, Bytes(32769, 1)})},
        {"copy cut after one byte", {0x40, 0x40, 0x00, 'a', 0x00}},
        {"run cut after three bytes", {0x40, 0x80, 0x00, 0x00, 0x00, 0x10}},
        {"first control word cut", {0x40, 0x00}},
        {"control word with no item",
         concat({Bytes{0x40, 0x00, 0x00}, Bytes(16, 'x'), Bytes{0, 0}})},
        {"control word cut", concat({Bytes{0x40, 0x00, 0x00}, Bytes(16, 'x'), Bytes{0}})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        bool ok = true;
        decode(c.block, &ok);
        EXPECT_FALSE(ok);
    }

    // The same shapes one step inside the limits are accepted.
    Bytes eightRunsAndLiterals = {0x40, 0xFF, 0x00};
    for (int i = 0; i < 8; ++i)
        eightRunsAndLiterals.insert(eightRunsAndLiterals.end(), run4095.begin(), run4095.end());
    eightRunsAndLiterals.insert(eightRunsAndLiterals.end(),
                                {'1', '2', '3', '4', '5', '6', '7', '8'});
    bool ok = false;
    const Bytes full = decode(eightRunsAndLiterals, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(full.size(), 32768u);
    EXPECT_EQ(decode({0x40, 0x40, 0x00, 'a', 0x00, 0x10}, &ok), Bytes(4, 'a'));
    EXPECT_TRUE(ok);
    EXPECT_EQ(decode(concat({Bytes{0x80}, Bytes(32768, 1)}), &ok), Bytes(32768, 1));
    EXPECT_TRUE(ok);
    // Any other flag than 0x80 means items; fewer than two bytes mean nothing.
    EXPECT_EQ(decode({0x13, 0x00, 0x00, 'h', 'i'}, &ok), bytesOf("hi"));
    EXPECT_EQ(decode({0x40}, &ok), Bytes{});
    EXPECT_TRUE(ok);
}

TEST(LzrwBlockDecoder, SurvivesDamagedBlocks) {
    TLZR lzr;
    std::mt19937 rng(99);
    const std::vector<Bytes> sources = {textBytes(32768, 31), randomBytes(3000, 32, 3),
                                        concat({Bytes(5000, 7), textBytes(2000, 33)})};
    for (int round = 0; round < 3000; ++round) {
        Bytes block = code(lzr, sources[size_t(round) % sources.size()]);
        const int flips = 1 + int(rng() % 4);
        for (int f = 0; f < flips; ++f)
            block[1 + rng() % (block.size() - 1)] ^= uint8_t(1u << (rng() % 8));
        if (rng() % 4 == 0)
            block.resize(1 + rng() % block.size());
        bool ok = false;
        const Bytes out = decode(block, &ok);
        ASSERT_LE(out.size(), size_t(TLZR::ChunkSize));
    }
}

} // namespace
