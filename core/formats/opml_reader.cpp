#include "core/formats/item_tree_builder.hpp"
#include "core/formats/opml_codec.hpp"
#include "core/model/text.hpp"

#include <algorithm>
#include <array>
#include <expat.h>
#include <unordered_set>

namespace velmora {
namespace {

bool namedIgnoringCase(const char* name, std::string_view wanted) {
    std::string_view given(name);
    return std::equal(given.begin(), given.end(), wanted.begin(), wanted.end(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; });
}

// The attributes of one outline element that the reader understands.
struct OutlineAttributes {
    const char *text = nullptr, *title = nullptr, *id = nullptr, *note = nullptr,
               *plainNote = nullptr, *checked = nullptr, *status = nullptr, *complete = nullptr,
               *color = nullptr, *bold = nullptr, *underline = nullptr, *collapsed = nullptr,
               *created = nullptr, *rfcCreated = nullptr, *modified = nullptr;
};

using AttributeSlot = const char* OutlineAttributes::*;

constexpr std::array<std::pair<std::string_view, AttributeSlot>, 15> kAttributes = {{
    {"text", &OutlineAttributes::text},
    {"title", &OutlineAttributes::title},
    {"_id", &OutlineAttributes::id},
    {"_note", &OutlineAttributes::note},
    {"note", &OutlineAttributes::plainNote},
    {"checked", &OutlineAttributes::checked},
    {"_status", &OutlineAttributes::status},
    {"_complete", &OutlineAttributes::complete},
    {"_color", &OutlineAttributes::color},
    {"_bold", &OutlineAttributes::bold},
    {"_underline", &OutlineAttributes::underline},
    {"_collapsed", &OutlineAttributes::collapsed},
    {"_created", &OutlineAttributes::created},
    {"created", &OutlineAttributes::rfcCreated},
    {"_modified", &OutlineAttributes::modified},
}};

OutlineAttributes gather(const char** attributes) {
    OutlineAttributes found;
    for (; attributes[0]; attributes += 2) {
        std::string_view name(attributes[0]);
        for (const auto& [wanted, slot] : kAttributes)
            if (name == wanted) {
                found.*slot = attributes[1];
                break;
            }
    }
    return found;
}

bool is(const char* value, std::string_view wanted) {
    return value && wanted == value;
}

bool readChecked(const OutlineAttributes& a) {
    if (is(a.checked, "true") || is(a.checked, "1") || is(a.checked, "yes"))
        return true;
    if (is(a.status, "checked"))
        return true;
    // Web outliners mark done items with _complete; honoured only without our own attributes.
    return !a.checked && !a.status && is(a.complete, "true");
}

std::optional<Timestamp> readCreated(const OutlineAttributes& a) {
    if (a.created)
        return Timestamp::parseISO8601(a.created);
    // OPML 2.0's own "created" attribute is in RFC 822 form.
    return a.rfcCreated ? Timestamp::parseRFC822(a.rfcCreated) : std::nullopt;
}

// What an open element is to the reader; everything inside a skipped element is skipped.
enum class Role : unsigned char { skip, document, head, title, body, outline };

class Reader {
public:
    Reader(std::string_view fallbackTitle, const IDFactory& makeID)
        : m_fallbackTitle(fallbackTitle), m_makeID(makeID) {}

    Result<TreeDocument, OPMLError> read(std::string_view data);

private:
    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        static_cast<Reader*>(self)->start(name, attributes);
    }
    static void XMLCALL onEnd(void* self, const XML_Char*) { static_cast<Reader*>(self)->end(); }
    static void XMLCALL onText(void* self, const XML_Char* text, int length) {
        auto* reader = static_cast<Reader*>(self);
        if (!reader->m_roles.empty() && reader->m_roles.back() == Role::title)
            reader->m_title.append(text, static_cast<std::size_t>(length));
    }

    Role roleOf(const char* name) {
        Role parent = m_roles.empty() ? Role::skip : m_roles.back();
        if (m_roles.empty())
            return Role::document;
        if (parent == Role::document && !m_sawHead && namedIgnoringCase(name, "head"))
            return m_sawHead = true, Role::head;
        if (parent == Role::document && !m_sawBody && namedIgnoringCase(name, "body"))
            return m_sawBody = true, Role::body;
        if (parent == Role::head && !m_sawTitle && namedIgnoringCase(name, "title"))
            return m_sawTitle = true, Role::title;
        if ((parent == Role::body || parent == Role::outline) && namedIgnoringCase(name, "outline"))
            return Role::outline;
        return Role::skip;
    }

    void start(const char* name, const char** attributes) {
        Role role = roleOf(name);
        if (role == Role::outline) {
            if (m_builder.depth() > static_cast<std::size_t>(kMaxItemDepth)) {
                m_tooDeepLine = static_cast<std::int64_t>(XML_GetCurrentLineNumber(m_parser));
                XML_StopParser(m_parser, XML_FALSE);
                return;
            }
            m_builder.open(item(gather(attributes)));
        }
        m_roles.push_back(role);
    }

    void end() {
        if (m_roles.empty())
            return;
        if (m_roles.back() == Role::outline)
            m_builder.close();
        m_roles.pop_back();
    }

    // Keeps each id the first time it is met; a missing, empty or repeated id is replaced by
    // one that no item read so far has, including ids written in the file that a fresh id
    // happens to equal.
    std::string uniqueID(const char* written) {
        if (written && *written && m_seenIDs.insert(written).second)
            return written;
        std::string fresh = m_makeID();
        for (int attempt = 0; attempt < 8 && m_seenIDs.contains(fresh); ++attempt)
            fresh = m_makeID();
        // A factory that keeps repeating itself still ends: number its id until it is free.
        std::string base = fresh;
        for (long long n = 2; !m_seenIDs.insert(fresh).second; ++n)
            fresh = base + "-" + std::to_string(n);
        return fresh;
    }

    Item item(const OutlineAttributes& a) {
        Item item;
        item.text = a.text ? a.text : (a.title ? a.title : "");
        item.id = uniqueID(a.id);
        item.note = a.note ? a.note : (a.plainNote ? a.plainNote : "");
        item.checked = readChecked(a);
        item.color = a.color ? colorLabelFromRawValue(a.color) : std::nullopt;
        item.bold = is(a.bold, "true");
        item.underline = is(a.underline, "true");
        item.collapsed = is(a.collapsed, "true");
        item.created = readCreated(a);
        item.modified = a.modified ? Timestamp::parseISO8601(a.modified) : std::nullopt;
        return item;
    }

    bool feed(std::string_view data);

    XML_Parser m_parser = nullptr;
    std::string_view m_fallbackTitle;
    const IDFactory& m_makeID;
    std::vector<Role> m_roles;
    bool m_sawHead = false, m_sawBody = false, m_sawTitle = false;
    std::string m_title;
    ItemTreeBuilder m_builder;
    std::unordered_set<std::string> m_seenIDs;
    std::int64_t m_tooDeepLine = 0;
};

// Encodings beyond expat's own: windows-1252, which many older files declare.
int XMLCALL unknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
    static constexpr std::array<int, 32> k80to9F = {
        0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    if (!namedIgnoringCase(name, "windows-1252") && !namedIgnoringCase(name, "cp1252"))
        return XML_STATUS_ERROR;
    for (int i = 0; i < 256; ++i)
        info->map[i] = i >= 0x80 && i < 0xA0 ? k80to9F[static_cast<std::size_t>(i - 0x80)] : i;
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

bool Reader::feed(std::string_view data) {
    constexpr std::size_t kChunk = std::size_t{1} << 24;
    do {
        std::size_t length = std::min(data.size(), kChunk);
        bool last = length == data.size();
        if (XML_Parse(m_parser, data.data(), static_cast<int>(length), last) != XML_STATUS_OK)
            return false;
        data.remove_prefix(length);
    } while (!data.empty());
    return true;
}

Result<TreeDocument, OPMLError> Reader::read(std::string_view data) {
    std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreate(nullptr),
                                                                        &XML_ParserFree);
    if (!parser)
        return OPMLError{0};
    m_parser = parser.get();
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &Reader::onStart, &Reader::onEnd);
    XML_SetCharacterDataHandler(m_parser, &Reader::onText);
    XML_SetUnknownEncodingHandler(m_parser, &unknownEncoding, nullptr);
    if (!feed(data)) {
        if (m_tooDeepLine > 0)
            return OPMLError{m_tooDeepLine, true};
        return OPMLError{static_cast<std::int64_t>(XML_GetCurrentLineNumber(m_parser))};
    }
    ItemList items = m_builder.finish();
    std::string title = Text::trimmed(m_title);
    if (title.empty())
        title = std::string(m_fallbackTitle);
    return TreeDocument{m_makeID(), std::move(title), std::move(items)};
}

} // namespace

namespace OPMLCodec {

Result<TreeDocument, OPMLError> decode(std::string_view data, std::string_view fallbackTitle,
                                       const IDFactory& makeID) {
    try {
        return Reader(fallbackTitle, makeID).read(data);
    } catch (const std::bad_alloc&) {
        return OPMLError{0};
    }
}

} // namespace OPMLCodec
} // namespace velmora
