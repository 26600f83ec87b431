#include "core/formats/native_document_codec.hpp"

#include "core/formats/backup_stream.hpp"
#include "core/formats/backup_text.hpp"

#include <cmath>

namespace velmora {
namespace {

// A number as the platform's pretty encoder writes it: integral widths without a fraction.
std::string widthText(double width) {
    if (width == std::trunc(width) && std::fabs(width) < 9007199254740992.0)
        return std::to_string(static_cast<long long>(width));
    return jsonNumberText(width);
}

void member(std::string& out, std::string_view key, std::string_view rawValue, bool last) {
    out += key;
    out += " : ";
    out += rawValue;
    out += last ? "\n" : ",\n";
}

void appendHoistTabs(std::string& out, const std::vector<HoistTab>& tabs) {
    if (tabs.empty()) {
        out += "[]";
        return;
    }
    out += "[\n";
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        out += "    {\n      \"id\" : " + jsonStringLiteral(tabs[i].id) + ",\n";
        out += "      \"rootId\" : " + jsonStringLiteral(tabs[i].rootId) + ",\n";
        out += "      \"title\" : " + jsonStringLiteral(tabs[i].title) + "\n    }";
        out += i + 1 < tabs.size() ? ",\n" : "\n";
    }
    out += "  ]";
}

std::string columnWidthsText(const std::vector<double>& widths) {
    if (widths.empty())
        return "[]";
    std::string out = "[\n";
    for (std::size_t i = 0; i < widths.size(); ++i)
        out += "    " + widthText(widths[i]) + (i + 1 < widths.size() ? ",\n" : "\n");
    return out + "  ]";
}

// --- Reading the state with the strictness of a typed decoder ---------------------------------

// An optional member: absent and null give nothing; a member of another type fails the state.
template <class T, class Read>
bool optionalMember(const JSONValue& object, std::string_view key, std::optional<T>& out,
                    Read read) {
    const JSONValue* element = object.member(key);
    if (!element || element->kind() == JSONValue::Kind::null)
        return true;
    out = read(*element);
    return out.has_value();
}

std::optional<std::string> readString(const JSONValue& element) {
    const std::string* text = element.asString();
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

std::optional<std::vector<double>> readWidths(const JSONValue& element) {
    const JSONValue::Array* array = element.asArray();
    if (!array)
        return std::nullopt;
    std::vector<double> widths;
    for (const auto& value : *array) {
        const double* number = value.asNumber();
        if (!number)
            return std::nullopt;
        widths.push_back(*number);
    }
    return widths;
}

const std::string* stringMember(const JSONValue* object, std::string_view key) {
    const JSONValue* member = object ? object->member(key) : nullptr;
    return member ? member->asString() : nullptr;
}

std::optional<std::vector<HoistTab>> readHoistTabs(const JSONValue* element) {
    const JSONValue::Array* array = element ? element->asArray() : nullptr;
    if (!array)
        return std::nullopt;
    std::vector<HoistTab> tabs;
    for (const auto& value : *array) {
        const auto* id = stringMember(&value, "id");
        const auto* rootId = stringMember(&value, "rootId");
        const auto* title = stringMember(&value, "title");
        if (!id || !rootId || !title)
            return std::nullopt;
        tabs.push_back({*id, *rootId, *title});
    }
    return tabs;
}

} // namespace

namespace NativeDocumentCodec {

std::optional<MacDocumentState> readState(const JSONValue* mac) {
    if (!mac || !mac->asObject())
        return std::nullopt;
    MacDocumentState state;
    const auto* view = stringMember(mac, "view");
    auto tabs = readHoistTabs(mac->member("hoistTabs"));
    const JSONValue* showAllNotes = mac->member("showAllNotes");
    if (!view || !tabs || !showAllNotes || !showAllNotes->asBool())
        return std::nullopt;
    state.view = *view;
    state.hoistTabs = std::move(*tabs);
    state.showAllNotes = *showAllNotes->asBool();
    if (!optionalMember(*mac, "activeHoist", state.activeHoist, readString) ||
        !optionalMember(*mac, "selectedId", state.selectedId, readString) ||
        !optionalMember(*mac, "columnWidths", state.columnWidths, readWidths))
        return std::nullopt;
    return state;
}

} // namespace NativeDocumentCodec

namespace {

ViewMode settingsView(const BackupSettings& settings) {
    return settings.view == BackupSettings::View::tree ? ViewMode::tree : ViewMode::list;
}

} // namespace

std::string_view NativeReadError::catalogKey() const {
    return kind == Kind::backup ? backup.catalogKey() : "backup.error.multipleDocuments %lld";
}

std::optional<std::string_view> NativeReadError::suggestionKey() const {
    if (kind == Kind::multipleDocuments)
        return "backup.error.multipleDocuments.suggestion";
    return std::nullopt;
}

namespace NativeDocumentCodec {

MacDocumentState state(const EditorSnapshot& snapshot) {
    return {std::string(rawValue(snapshot.view)),
            snapshot.hoistTabs,
            snapshot.activeHoist,
            snapshot.selectedId,
            snapshot.showAllNotes,
            snapshot.columnWidths};
}

std::string encodeState(const MacDocumentState& state) {
    if (state.columnWidths)
        for (double width : *state.columnWidths)
            if (!std::isfinite(width))
                return "{}"; // JSON has no form for it, so the whole state is left unreadable
    std::string out = "{\n";
    if (state.activeHoist)
        member(out, "  \"activeHoist\"", jsonStringLiteral(*state.activeHoist), false);
    if (state.columnWidths)
        member(out, "  \"columnWidths\"", columnWidthsText(*state.columnWidths), false);
    out += "  \"hoistTabs\" : ";
    appendHoistTabs(out, state.hoistTabs);
    out += ",\n";
    if (state.selectedId)
        member(out, "  \"selectedId\"", jsonStringLiteral(*state.selectedId), false);
    member(out, "  \"showAllNotes\"", state.showAllNotes ? "true" : "false", false);
    member(out, "  \"view\"", jsonStringLiteral(state.view), true);
    return out + "}";
}

std::string encode(const EditorSnapshot& snapshot, const BackupSettings& settings) {
    std::string text;
    text.reserve(static_cast<std::size_t>(512 + 220 * snapshot.document.itemCount()));
    (void)BackupText::write({snapshot.document}, settings,
                            "\"mac\": " + encodeState(state(snapshot)), text, nullptr);
    return text;
}

bool write(const EditorSnapshot& snapshot, const BackupSettings& settings, const TextSink& sink) {
    std::string buffer;
    return BackupText::write({snapshot.document}, settings,
                             "\"mac\": " + encodeState(state(snapshot)), buffer, &sink);
}

Result<LoadedNative, NativeReadError> decode(std::string_view data) {
    auto read = BackupStream::read(data, true);
    if (!read.ok())
        return NativeReadError::fromBackup(read.error());
    auto& documents = read.value().backup.documents;
    if (documents.size() != 1)
        return NativeReadError::multipleDocuments(static_cast<std::int64_t>(documents.size()));
    auto mac = readState(read.value().mac ? &*read.value().mac : nullptr);
    return LoadedNative{std::move(documents.front()), read.value().backup.settings,
                        std::move(mac)};
}

EditorSnapshot snapshot(const LoadedNative& loaded) {
    EditorSnapshot s;
    s.document = loaded.document;
    if (!loaded.mac) {
        s.view = settingsView(loaded.settings);
        s.showAllNotes = loaded.settings.showAllNotes;
        return s;
    }
    const MacDocumentState& mac = *loaded.mac;
    s.view = viewModeFromRawValue(mac.view).value_or(settingsView(loaded.settings));
    s.hoistTabs = mac.hoistTabs;
    s.activeHoist = mac.activeHoist;
    s.selectedId = mac.selectedId;
    s.showAllNotes = mac.showAllNotes;
    s.columnWidths = mac.columnWidths;
    return s;
}

} // namespace NativeDocumentCodec

} // namespace velmora
