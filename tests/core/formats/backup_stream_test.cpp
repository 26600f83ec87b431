// The streaming readers against the parsed-tree readers they replaced: for any bytes, the same
// backup or document, or the same error with the same payload.
#include "core/formats/json_value.hpp"
#include "format_fixtures.hpp"
#include "tests/core/formats/backup_reference.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace velmora {
namespace {

std::string describe(const Result<Backup, BackupError>& r) {
    if (r.ok())
        return "ok: " + std::to_string(r.value().documents.size()) + " documents";
    const auto& e = r.error();
    std::string out = std::string(rawValue(e.kind));
    if (e.text())
        out += " '" + *e.text() + "'";
    if (e.number())
        out += " #" + std::to_string(*e.number());
    return out;
}

void expectSameReading(const std::string& bytes) {
    auto streamed = BackupCodec::decode(bytes);
    auto reference = BackupReference::decode(bytes);
    ASSERT_EQ(streamed, reference) << "streamed: " << describe(streamed)
                                   << "\nreference: " << describe(reference) << "\ninput: " << bytes;
    auto native = NativeDocumentCodec::decode(bytes);
    auto nativeReference = BackupReference::decodeNative(bytes);
    ASSERT_EQ(native.ok(), nativeReference.ok()) << bytes;
    if (native.ok()) {
        EXPECT_EQ(native.value().document, nativeReference.value().document) << bytes;
        EXPECT_EQ(native.value().settings, nativeReference.value().settings) << bytes;
        EXPECT_EQ(native.value().mac, nativeReference.value().mac) << bytes;
    } else {
        EXPECT_EQ(native.error(), nativeReference.error()) << bytes;
    }
}

const char* kSettings = R"("settings":{"openMode":"tab","view":"list","showAllNotes":false})";

std::string backupWith(const std::string& documents, const std::string& rest = kSettings) {
    return R"({"format":"velmora","version":1,"documents":)" + documents + "," + rest + "}";
}

std::string item(const std::string& members) {
    return "{" + members + "}";
}

const char* kGoodItem =
    R"("id":"i","text":"t","note":"","checked":false,"color":null,"collapsed":false)";

// Inputs whose members come in unusual orders or repeat, where a reader that decides early
// would differ from one that looks at the whole object.
std::vector<std::string> orderingCases() {
    std::string good = kGoodItem;
    return {
        // the title after the items, an item's id after its children
        backupWith(R"([{"items":[{"children":[],"text":""}],"id":"d","title":"Late"}])"),
        backupWith(R"([{"id":"d","items":[)" +
                   item(R"("children":[{"text":"kid"}],"text":"")") + R"(],"title":"T"}])"),
        backupWith(R"([{"id":"d","title":"T","items":[)" +
                   item(R"("children":[{"text":""}],)" + good) + "]}]"),
        // repeated members: the last one counts
        backupWith(R"([{"id":"d","title":"T","items":[)" +
                   item(good + R"(,"children":[{"bad":1}],"children":[])") + "]}]"),
        backupWith(R"([{"id":"d","title":"T","items":[)" +
                   item(good + R"(,"children":[],"children":5)") + "]}]"),
        backupWith(R"([{"id":"d","title":"T","items":[)" +
                   item(good + R"(,"children":[],"text":7)") + "]}]"),
        backupWith(R"([{"id":"d","title":"T","items":[)" +
                   item(good + R"(,"children":[],"color":"aqua","color":"Red")") + "]}]"),
        backupWith(R"([{"id":"d","title":"T","items":[]}],"documents":[{"id":"e","title":"U","items":[]}])"),
        backupWith(R"([{"id":"d","title":"T","items":[]}],"documents":[])"),
        backupWith(R"([{"id":"d","title":"T","items":[5,{"x":1}]}])"),
        backupWith(R"([{"id":"d","title":"T","items":[[1,2],{"x":1}]}])"),
        backupWith(R"([7,{"id":"","title":"T","items":[]}])"),
        backupWith(R"([{"id":"d","title":"T","items":[]}])", R"("settings":{"openMode":"tab"})"),
        backupWith(R"([{"id":"d","title":"T","items":[]}])",
                   R"("mac":{"view":"map","hoistTabs":[],"showAllNotes":true,"columnWidths":[240,1.5e2]},)" +
                       std::string(kSettings)),
        backupWith(R"([{"id":"d","title":"T","items":[]}])",
                   std::string(kSettings) + R"(,"mac":{"view":"map","hoistTabs":[],"showAllNotes":true},"mac":{"view":"tree"})"),
        // settings before the documents: a document's fault still comes first
        R"({"settings":{},"format":"velmora","documents":[{"id":"d"}],"version":1.0})",
        R"({"format":"velmora","version":"1","documents":[]})",
        R"({"format":"velmora","version":[1],"documents":[]})",
        R"({"format":"velmora","version":{"a":1},"documents":[]})",
        R"({"format":"velmora","documents":[]})",
        R"({"format":"velmor\u0061","version":1e0,"documents":[{"id":"d","title":"T","items":[]}],)" +
            std::string(kSettings) + "}",
        // keys spelt with escapes or decomposed letters
        R"({"form\u0061t":"velmora","version":1,"documents":[{"id":"d","title":"T","items":[]}],)" +
            std::string(kSettings) + "}",
        R"({"format":"velmora","version":1,"documents":[{"id":"d","title":"Cafe\u0301","items":[{"text":""}]}],)" +
            std::string(kSettings) + "}",
        // a semantic fault before a syntax fault: the file is still not JSON
        backupWith(R"([{"id":"","title":"T","items":[]}])", std::string(kSettings) + ",x"),
        backupWith(R"([{"id":"d","title":"T","items":[{"text":"a"}]}])",
                   std::string(kSettings) + R"(,"z":[1 2])"),
        // scalars, numbers and strings at the edges of the grammar
        "[]", "\"velmora\"", "", " ", "\xEF\xBB\xBF{}", "{}x", "1e400", "18446744073709551616",
        R"({"format":"velmora","version":18446744073709551615})",
        R"({"format":"velmora","version":-9223372036854775809})",
        R"({"format":"velmora","version":01})",
        R"({"format":"velmora","version":-0.0})",
        R"({"format":"velmora","version":1.00000000000000000001})",
        "{\"format\":\"velmora\",\"version\":\"a\tb\"}",
        R"({"format":"velmora","version":"\ud83d\ude00"})",
        R"({"format":"velmora","version":"\ud800"})",
        R"({"format":"velmora","version":"\udc00x"})",
        R"({"format":"velmora","version":"\ud800\u0041"})",
        R"({"format":"velmora","version":"\u00zz"})",
        R"({"format":"velmora","version":"\q"})",
        R"({"format":"velmora","version":"\u0000 \/ \b\f\n\r\t"})",
        "{\"format\":\"velmora\",\"version\":\"\xC3\x28\"}",
        "{\"format\":\"velmora\",\"version\":\"\x7F\"}",
        R"({"format":"velmora","version":tru})",
        R"({"format":"velmora","version":true"x"})",
        R"({"format":"velmora","version":null,})",
        R"({"format":"velmora",,"version":1})",
        R"({"format" "velmora"})",
        R"({"format":"velmora"]})",
    };
}

TEST(BackupStream, UnusualOrdersAndEdgesReadAsOnAParsedTree) {
    for (const auto& text : orderingCases())
        expectSameReading(text);
}

TEST(BackupStream, NestingAtAndBeyondTheLimitsReadsAsOnAParsedTree) {
    // JSON nesting around kMaxJSONDepth, with and without items at the deepest item depth.
    for (std::size_t depth : {kMaxJSONDepth - 1, kMaxJSONDepth, kMaxJSONDepth + 1}) {
        std::string open(depth - 1, '[');
        std::string close(depth - 1, ']');
        expectSameReading(R"({"format":"velmora","x":)" + open + close + "}");
    }
    for (int levels : {kMaxItemDepth, kMaxItemDepth + 1, kMaxItemDepth + 2}) {
        std::string items;
        for (int i = 0; i <= levels; ++i)
            items += std::string(R"({"id":"i","text":"","note":"","checked":false,"color":null,)") +
                     R"("collapsed":false,"children":[)";
        std::string tail;
        for (int i = 0; i <= levels; ++i)
            tail += "]}";
        expectSameReading(backupWith(R"([{"id":"d","title":"T","items":[)" + items + tail + "]}]"));
        // a scalar element at the deepest list
        std::string scalar = items;
        scalar += "5";
        expectSameReading(
            backupWith(R"([{"id":"d","title":"T","items":[)" + scalar + tail + "]}]"));
    }
}

// Runs of blanks and strings of every length up to a few blocks of the scanner's widest step,
// with the byte that ends or breaks them at every position: what is read, and what is refused,
// must not depend on where a block of bytes happens to start.
TEST(BackupStream, BlankRunsAndStringsReadAlikeAtEveryLengthAndOffset) {
    const std::vector<std::string> breakers = {
        "\f", "\v",  "\x01", "\x1F",    "\x7F",     "\xC2\xA0",
        "\"", "\\n", "\\q",  "\\u00e9", "\xC3\xA9", std::string(1, '\0')};
    const std::string blanks = " \n\t\r";
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t at = 0; at <= length; ++at) {
            for (const auto& breaker : breakers) {
                std::string run;
                for (std::size_t i = 0; i < length; ++i)
                    run += blanks[i % blanks.size()];
                std::string text(length, 'a');
                text.insert(at, breaker);
                std::string broken = run;
                broken.insert(at, breaker);
                auto item = [&](const std::string& textValue, const std::string& blanksBefore) {
                    return std::string(R"([{"id":"d","title":"T","items":[{"id":"i","text":")") +
                           textValue + R"(","note":"",)" + run + R"("checked":false,"color":)" +
                           blanksBefore + R"(null,"collapsed":false,"children":[]}]}])";
                };
                expectSameReading(backupWith(item(text, run)));
                expectSameReading(backupWith(item(std::string(length, 'a'), broken)));
                if (HasFatalFailure())
                    return;
            }
            std::string plain(length, 'x');
            if (at < length)
                plain[at] = 'y';
            auto read =
                BackupCodec::decode(backupWith(R"([{"id":"d","title":")" + plain +
                                               R"(","items":[]}])" + std::string(length, ' ')));
            ASSERT_TRUE(read.ok());
            EXPECT_EQ(read.value().documents.front().title, plain);
        }
    }
}

std::vector<std::string> seeds() {
    std::vector<std::string> out;
    for (const char* folder : {"backup", "native"}) {
        auto path = std::filesystem::path(OSTREVO_TEST_DATA) / ".." / ".." / "fuzz" / "corpus" / folder;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream buffer;
            buffer << in.rdbuf();
            out.push_back(buffer.str());
        }
    }
    EXPECT_GE(out.size(), 10u);
    out.push_back(BackupCodec::encode({testing::richDocument()}, {}));
    for (auto& text : orderingCases())
        out.push_back(std::move(text));
    return out;
}

// A random change of the kind that breaks readers: a byte replaced, a span cut or doubled, or a
// JSON fragment dropped in.
std::string mutated(std::string text, std::mt19937& random) {
    static const std::vector<std::string> fragments = {
        "{", "}", "[", "]", ",", ":", "\"", "\\", "null", "true", "1", "-0.5e3", "\"id\"",
        "\"text\":", "\"children\":[]", "\"color\":\"aqua\"", "\\u00e9", "\\ud83d", "\xC3\xA9",
        "\xC3", " ", "\t", "\"mac\":{}", "\"documents\":", "\x01"};
    int steps = 1 + static_cast<int>(random() % 3);
    for (int s = 0; s < steps; ++s) {
        std::size_t at = text.empty() ? 0 : random() % (text.size() + 1);
        switch (random() % 4) {
        case 0:
            if (at < text.size())
                text[at] = static_cast<char>(random() % 128);
            break;
        case 1:
            text.erase(at, random() % 12);
            break;
        case 2:
            text.insert(at, text.substr(at, random() % 40));
            break;
        default:
            text.insert(at, fragments[random() % fragments.size()]);
        }
    }
    return text;
}

TEST(BackupStream, RandomlyDamagedFilesReadAsOnAParsedTree) {
    std::mt19937 random(17);
    auto corpus = seeds();
    for (const auto& seed : corpus)
        expectSameReading(seed);
    for (int round = 0; round < 6000; ++round) {
        const auto& seed = corpus[random() % corpus.size()];
        expectSameReading(mutated(seed, random));
        if (HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace velmora
