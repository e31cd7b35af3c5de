#include "service/reply_reader.h"

#include <fmt/format.h>
#include <simdjson.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>

namespace ovr
{

namespace
{

namespace od = simdjson::ondemand;

using Kind = ReplyValue::Kind;

// Reading a longer text makes the reader's buffers grow for it; they are
// given back when a text of at most this size comes next.
constexpr std::size_t kKeptCapacity = std::size_t{1} << 20;

// Deeper nesting is no reply of the service, and the check below recurses.
constexpr int kMaxDepth = 64;

constexpr std::array<std::string_view, 5> kBufferNames{"buffer_4", "buffer_3", "buffer_2", "buffer_1",
                                                       "buffer_0"};

constexpr std::array<std::int8_t, kLiveArraySize> kLiveSlots = []
{
    std::array<std::int8_t, kLiveArraySize> slots{};
    slots.fill(-1);
    for (std::size_t k = 0; k < kLivePositions.size(); ++k)
        slots[kLivePositions[k]] = static_cast<std::int8_t>(k);
    return slots;
}();

static_assert(kReplyPadding >= simdjson::SIMDJSON_PADDING);

const ReplyValue kAbsent{};

[[noreturn]] void lf_notJson(std::string_view what)
{
    throw ReplyNotJson(what.empty() ? std::string("reply is no JSON") : fmt::format("reply is no JSON: {}", what));
}

template <class T> T lf_take(simdjson::simdjson_result<T>&& result)
{
    T value;
    if (const simdjson::error_code error = std::move(result).get(value))
        lf_notJson(simdjson::error_message(error));
    return value;
}

// Where a long reply's texts are unescaped when the parser's own buffer is
// not the place: the texts of its aircraft, which are only checked on the
// first read (each may overwrite the one before, `reuse`) and read on the
// second, where the first read's texts must stay.
struct Texts
{
    const od::parser* parser = nullptr;
    std::uint8_t* start = nullptr;
    std::uint8_t* at = nullptr;
    bool reuse = false;

    std::string_view unescape(od::raw_json_string raw)
    {
        if (reuse)
            at = start;
        return lf_take(parser->unescape(raw, at));
    }
};

// A text value or a member's name, into `texts` when given.
std::string_view lf_text(od::value& value, Texts* texts)
{
    if (texts == nullptr)
        return lf_take(value.get_string());
    return texts->unescape(lf_take(value.get_raw_json_string()));
}

std::string_view lf_name(od::field& field, Texts* texts)
{
    if (texts == nullptr)
        return lf_take(field.unescaped_key());
    return texts->unescape(field.key());
}

ReplyValue lf_value(od::value value, int depth, Texts* texts = nullptr, bool* ordered = nullptr);

// An object's members or an array's elements, each checked whole.
// `ordered`, when given, is cleared for an object whose names are not in
// strictly rising order (a repeated name included).
void lf_checkContainer(od::value value, Kind kind, ReplyValue& out, int depth, Texts* texts, bool* ordered)
{
    if (depth > kMaxDepth)
        lf_notJson("nested too deeply");
    out.kind = kind;
    out.emptyContainer = true;
    if (kind == Kind::object)
    {
        // A copy: the texts that follow may overwrite the name.
        std::string previous;
        for (auto member : lf_take(value.get_object()))
        {
            od::field field = lf_take(std::move(member));
            const std::string_view name = lf_name(field, texts);
            if (ordered != nullptr)
            {
                if (!out.emptyContainer && !(std::string_view(previous) < name))
                    *ordered = false;
                previous.assign(name);
            }
            (void)lf_value(field.value(), depth + 1, texts);
            out.emptyContainer = false;
        }
    }
    else
    {
        for (auto element : lf_take(value.get_array()))
        {
            (void)lf_value(lf_take(std::move(element)), depth + 1, texts);
            out.emptyContainer = false;
        }
    }
}

ReplyValue lf_number(od::value& value)
{
    const od::number_type type = lf_take(value.get_number_type());
    if (type == od::number_type::signed_integer)
        return ReplyValue::ofInteger(lf_take(value.get_int64()));
    if (type == od::number_type::unsigned_integer)
    {
        std::uint64_t big = 0;
        if (!value.get_uint64().get(big))
            return ReplyValue::ofBigUnsigned(big);
        // Beyond 64 bits an integer is read as a double.
    }
    return ReplyValue::ofNumber(lf_take(value.get_double()));
}

// The value, a container checked through to its end.
ReplyValue lf_value(od::value value, int depth, Texts* texts, bool* ordered)
{
    ReplyValue out;
    switch (lf_take(value.type()))
    {
    case od::json_type::object:
        lf_checkContainer(value, Kind::object, out, depth, texts, ordered);
        break;
    case od::json_type::array:
        lf_checkContainer(value, Kind::array, out, depth, texts, ordered);
        break;
    case od::json_type::number:
        out = lf_number(value);
        break;
    case od::json_type::string:
        out = ReplyValue::ofText(lf_text(value, texts));
        break;
    case od::json_type::boolean:
        out = ReplyValue::ofBoolean(lf_take(value.get_bool()));
        break;
    case od::json_type::null:
        if (!lf_take(value.is_null()))
            lf_notJson("not a literal");
        out.kind = Kind::null;
        break;
    }
    return out;
}

// Reads a value by position into `out`, keeping the elements `slotOf`
// names a slot for.
template <class Positional, class SlotOf>
void lf_positional(od::value value, Positional& out, SlotOf slotOf, int depth, Texts* texts = nullptr)
{
    const od::json_type type = lf_take(value.type());
    if (type != od::json_type::array)
    {
        const ReplyValue whole = lf_value(value, depth, texts);
        out.kind = whole.kind;
        out.emptyContainer = whole.emptyContainer;
        return;
    }
    out.kind = Kind::array;
    std::size_t position = 0;
    for (auto element : lf_take(value.get_array()))
    {
        od::value read = lf_take(std::move(element));
        if (ReplyValue* slot = slotOf(out, position))
            *slot = lf_value(read, depth + 1, texts);
        else if (texts == nullptr)
            (void)lf_value(read, depth + 1);
        // A second read (into `texts`) passes over the element unread: the
        // first has checked it.
        ++position;
    }
    out.size = position;
    out.emptyContainer = position == 0;
}

void lf_readLive(od::value value, LiveArray& out, int depth, Texts* texts = nullptr)
{
    lf_positional(value, out, [](LiveArray& a, std::size_t position) { return a.slot(position); }, depth, texts);
}

void lf_readParked(od::value value, ParkedArray& out, int depth)
{
    lf_positional(
        value, out,
        [](ParkedArray& a, std::size_t position) { return position < a.kept.size() ? &a.kept[position] : nullptr; },
        depth);
}

// Members in the order of their names, a repeated name once with its last
// value: what reading the reply into a map of names gives.
template <class T, class NameOf> void lf_byName(std::vector<T>& members, NameOf nameOf)
{
    const auto before = [&](const T& a, const T& b) { return nameOf(a) < nameOf(b); };
    if (std::adjacent_find(members.begin(), members.end(), [&](const T& a, const T& b) { return !before(a, b); }) ==
        members.end())
        return; // already in strict order
    std::stable_sort(members.begin(), members.end(), before);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < members.size(); ++i)
    {
        if (i + 1 < members.size() && nameOf(members[i + 1]) == nameOf(members[i]))
            continue; // a later value of the same name replaces it
        if (kept != i)
            members[kept] = std::move(members[i]);
        ++kept;
    }
    members.resize(kept);
}

// The live arrays among a container's values (an object's or an array's);
// any other value holds none. Returns the container's kind and emptiness.
ReplyValue lf_liveContainer(od::value value, std::vector<LiveArray>& arrays, int depth, Texts* texts = nullptr)
{
    arrays.clear();
    const od::json_type type = lf_take(value.type());
    if (type != od::json_type::object && type != od::json_type::array)
        return lf_value(value, depth, texts);
    ReplyValue out;
    out.emptyContainer = true;
    if (type == od::json_type::object)
    {
        out.kind = Kind::object;
        for (auto member : lf_take(value.get_object()))
        {
            od::field field = lf_take(std::move(member));
            LiveArray& a = arrays.emplace_back();
            a.name = lf_name(field, texts);
            lf_readLive(field.value(), a, depth + 1, texts);
        }
        lf_byName(arrays, [](const LiveArray& a) { return a.name; });
    }
    else
    {
        out.kind = Kind::array;
        for (auto element : lf_take(value.get_array()))
            lf_readLive(lf_take(std::move(element)), arrays.emplace_back(), depth + 1, texts);
    }
    out.emptyContainer = arrays.empty();
    std::erase_if(arrays, [](const LiveArray& a) { return !a.isAircraft(); });
    return out;
}

// Where a container of aircraft arrays lies in its reply: its place among
// the members of the object that holds it, and whether its names rise
// strictly (an array's elements always count as in order).
struct ContainerPlace
{
    std::size_t ordinal = 0;
    bool ordered = true;
};

// The container at `place` checked whole, its texts unescaped into
// `texts` (a value that is no container keeps its text where the reply's
// other top texts are).
ReplyValue lf_container(od::value value, ContainerPlace& place, std::size_t ordinal, int depth, Texts* texts)
{
    place = ContainerPlace{ordinal, true};
    const od::json_type type = lf_take(value.type());
    if (type != od::json_type::object && type != od::json_type::array)
        return lf_value(value, depth);
    return lf_value(value, depth, texts, &place.ordered);
}

// The members of a buffered reply's "data", checked whole; the aircraft
// arrays kept in `staged` when given, else the containers' texts unescaped
// into `texts`.
ReplyValue lf_buffers(od::value value, TrafficReply& reply, std::array<ContainerPlace, 5>& places,
                      std::array<std::vector<LiveArray>, 5>* staged, Texts* texts)
{
    const od::json_type type = lf_take(value.type());
    if (type != od::json_type::object)
        return lf_value(value, 1);
    ReplyValue out;
    out.kind = Kind::object;
    out.emptyContainer = true;
    std::size_t ordinal = 0;
    for (auto member : lf_take(value.get_object()))
    {
        od::field field = lf_take(std::move(member));
        out.emptyContainer = false;
        const std::string_view name = lf_take(field.unescaped_key());
        const auto buffer = std::find(kBufferNames.begin(), kBufferNames.end(), name);
        if (buffer == kBufferNames.end())
        {
            (void)lf_value(field.value(), 2);
        }
        else
        {
            const auto k = static_cast<std::size_t>(buffer - kBufferNames.begin());
            reply.bufferValues[k] = staged != nullptr ? lf_liveContainer(field.value(), (*staged)[k], 2)
                                                      : lf_container(field.value(), places[k], ordinal, 2, texts);
        }
        ++ordinal;
    }
    return out;
}

// The value of the object's member at `ordinal`.
od::value lf_memberAt(od::object object, std::size_t ordinal)
{
    std::size_t at = 0;
    for (auto member : object)
    {
        od::field field = lf_take(std::move(member));
        if (at++ == ordinal)
            return field.value();
    }
    lf_notJson("member gone on the second read");
}

ReplyValue lf_parkedData(od::value value, ParkedReply& reply)
{
    reply.members.clear();
    const od::json_type type = lf_take(value.type());
    if (type != od::json_type::object && type != od::json_type::array)
        return lf_value(value, 1);
    ReplyValue out;
    out.emptyContainer = true;
    std::size_t index = 0;
    if (type == od::json_type::object)
    {
        out.kind = Kind::object;
        for (auto member : lf_take(value.get_object()))
        {
            od::field field = lf_take(std::move(member));
            ParkedMember& m = reply.members.emplace_back();
            m.name = lf_take(field.unescaped_key());
            lf_readParked(field.value(), m.value, 2);
        }
        lf_byName(reply.members, [](const ParkedMember& m) -> std::string_view { return m.name; });
    }
    else
    {
        out.kind = Kind::array;
        for (auto element : lf_take(value.get_array()))
        {
            ParkedMember& m = reply.members.emplace_back();
            m.name = std::to_string(index++);
            lf_readParked(lf_take(std::move(element)), m.value, 2);
        }
    }
    out.emptyContainer = reply.members.empty();
    std::erase_if(reply.members, [](const ParkedMember& m) { return m.value.empty(); });
    return out;
}

// "QNH" of an object "data", the first station of an array "data".
ReplyValue lf_weatherData(od::value value, WeatherReply& reply)
{
    reply.qnh = {};
    reply.firstStation = {};
    reply.icao = {};
    const od::json_type type = lf_take(value.type());
    ReplyValue out;
    out.emptyContainer = true;
    if (type == od::json_type::object)
    {
        out.kind = Kind::object;
        for (auto member : lf_take(value.get_object()))
        {
            od::field field = lf_take(std::move(member));
            out.emptyContainer = false;
            const std::string_view name = lf_take(field.unescaped_key());
            const ReplyValue read = lf_value(field.value(), 2);
            if (name == "QNH")
                reply.qnh = read;
        }
        return out;
    }
    if (type != od::json_type::array)
        return lf_value(value, 1);
    out.kind = Kind::array;
    for (auto element : lf_take(value.get_array()))
    {
        od::value station = lf_take(std::move(element));
        if (!out.emptyContainer)
        {
            (void)lf_value(station, 2);
            continue;
        }
        out.emptyContainer = false;
        if (lf_take(station.type()) != od::json_type::object)
        {
            reply.firstStation = lf_value(station, 2);
            continue;
        }
        reply.firstStation.kind = Kind::object;
        reply.firstStation.emptyContainer = true;
        for (auto member : lf_take(station.get_object()))
        {
            od::field field = lf_take(std::move(member));
            reply.firstStation.emptyContainer = false;
            const std::string_view name = lf_take(field.unescaped_key());
            const ReplyValue read = lf_value(field.value(), 3);
            if (name == "ICAO")
                reply.icao = read;
        }
    }
    return out;
}

} // namespace

const ReplyValue& LiveArray::at(std::size_t position) const
{
    if (position >= size || position >= kLiveArraySize || kLiveSlots[position] < 0)
        return kAbsent;
    return kept[static_cast<std::size_t>(kLiveSlots[position])];
}

ReplyValue* LiveArray::slot(std::size_t position)
{
    if (position >= kLiveArraySize || kLiveSlots[position] < 0)
        return nullptr;
    return &kept[static_cast<std::size_t>(kLiveSlots[position])];
}

const ReplyValue& ParkedArray::at(std::size_t position) const
{
    return position < size && position < kept.size() ? kept[position] : kAbsent;
}

const ReplyValue& ParkedArray::need(std::size_t position) const
{
    if (!isArray())
        throw std::invalid_argument("cannot use at() with " + std::string(ReplyValue::ofKind(kind).typeName()));
    if (position >= size)
        throw std::out_of_range("array index " + std::to_string(position) + " is out of range");
    return at(position);
}

const ReplyValue& ReplyFields::get(std::string_view name) const
{
    for (auto it = members.rbegin(); it != members.rend(); ++it)
    {
        if (it->first == name)
            return it->second;
    }
    return kAbsent;
}

struct ReplyReader::Impl
{
    od::parser parser;
    od::document document;
    // The reply with the room after it that the parser reads ahead into,
    // when the caller's text has none.
    std::string padded;
    std::size_t textSize = 0;
    TrafficReply traffic;
    // A traffic reply up to rereadAbove bytes keeps its aircraft arrays as
    // it is checked (in `staged`, `stagedBuffers`); a longer one is read
    // again as they are taken, from the places noted while it was checked
    // ("data" among the top members, its containers among its own).
    std::size_t rereadAbove = kRereadAbove;
    bool reread = false;
    std::size_t dataOrdinal = 0;
    ContainerPlace livePlace;
    std::array<ContainerPlace, 5> bufferPlaces;
    // Also the arrays of a container read again whose names are out of
    // order: they are put in order before any is taken.
    std::vector<LiveArray> staged;
    std::array<std::vector<LiveArray>, 5> stagedBuffers;
    // The texts of a second read: room for every text of the reply.
    std::unique_ptr<std::uint8_t[]> textRoom;
    std::size_t textRoomSize = 0;
    ParkedReply parked;
    WeatherReply weather;
    ReplyFields fields;
    LiveArray live;
    std::vector<LiveArray> liveArrays;
    ParkedArray parkedArray;

    od::document& open(const std::string& text)
    {
        // The parser keeps buffers for the longest text it has read; after
        // the first reply of a busy area they would stay for the session.
        if (parser.capacity() > kKeptCapacity && text.size() <= kKeptCapacity)
        {
            parser = od::parser{};
            padded = std::string{};
            // So would the arrays read from that reply.
            staged = {};
            stagedBuffers = {};
            textRoom.reset();
            textRoomSize = 0;
            parked.members = {};
            liveArrays = {};
        }
        simdjson::padded_string_view view;
        if (text.capacity() - text.size() >= kReplyPadding)
        {
            view = simdjson::padded_string_view(text.data(), text.size(), text.capacity());
        }
        else
        {
            padded.reserve(text.size() + simdjson::SIMDJSON_PADDING);
            padded.assign(text);
            view = simdjson::padded_string_view(padded.data(), padded.size(), padded.capacity());
        }
        textSize = text.size();
        document = lf_take(parser.iterate(view));
        return document;
    }

    // After a container at the top: nothing may follow it. (A scalar at the
    // top is checked by the parser as it is read.)
    void finish()
    {
        if (document.current_location().error() != simdjson::OUT_OF_BOUNDS)
            lf_notJson("content after the reply");
    }

    // Walks the reply's top object, taking the common fields and handing
    // the value of "data" to `member` with its place among the members.
    template <class Member> void head(ReplyHead& head, Member member)
    {
        head = ReplyHead{};
        const od::json_type type = lf_take(document.type());
        if (type != od::json_type::object)
        {
            // A scalar document is read whole here; the caller refuses it.
            if (type != od::json_type::array)
            {
                head.kind = lf_rootScalarKind();
                return;
            }
            head.kind = Kind::array;
            (void)lf_value(lf_take(document.get_value()), 0);
            finish();
            return;
        }
        head.kind = Kind::object;
        std::size_t ordinal = 0;
        for (auto entry : lf_take(document.get_object()))
        {
            od::field field = lf_take(std::move(entry));
            const std::string_view name = lf_take(field.unescaped_key());
            const std::size_t at = ordinal++;
            if (name == "status")
                head.status = lf_value(field.value(), 1);
            else if (name == "message")
                head.message = lf_value(field.value(), 1);
            else if (name == "rrl")
                head.rrl = lf_value(field.value(), 1);
            else if (name == "wrrl")
                head.wrrl = lf_value(field.value(), 1);
            else if (name == "data")
                head.data = member(field.value(), at);
            else
                (void)lf_value(field.value(), 1);
        }
        finish();
    }

    // Reads a text's top value: a container through `container`, a scalar
    // only checked. Returns the value's kind.
    template <class Container> Kind top(const std::string& text, Container container)
    {
        open(text);
        const od::json_type type = lf_take(document.type());
        if (type != od::json_type::array && type != od::json_type::object)
            return lf_rootScalarKind();
        container(lf_take(document.get_value()));
        finish();
        return type == od::json_type::array ? Kind::array : Kind::object;
    }

    // The aircraft arrays of a traffic reply's container, read again: one
    // whose names rise is read array by array as each is taken, any other
    // whole (in the order of its names) first.
    void eachAircraft(const ContainerPlace& place, od::value container, int depth,
                      const std::function<void(const LiveArray&)>& take)
    {
        Texts texts = roomForTexts(false);
        if (!place.ordered)
        {
            (void)lf_liveContainer(container, staged, depth, &texts);
            for (const LiveArray& a : staged)
                take(a);
            return;
        }
        LiveArray array;
        const auto one = [&](od::value value)
        {
            array = LiveArray{};
            texts.at = texts.start;
            lf_readLive(value, array, depth + 1, &texts);
            if (array.isAircraft())
                take(array);
        };
        const od::json_type type = lf_take(container.type());
        if (type == od::json_type::object)
        {
            for (auto member : lf_take(container.get_object()))
            {
                od::field field = lf_take(std::move(member));
                one(field.value());
            }
        }
        else if (type == od::json_type::array)
        {
            for (auto element : lf_take(container.get_array()))
                one(lf_take(std::move(element)));
        }
    }

    // The room holds every text of the reply at once (its pages are
    // touched only as far as the texts put there reach).
    Texts roomForTexts(bool reuse)
    {
        const std::size_t room = textSize + 2 * simdjson::SIMDJSON_PADDING;
        if (textRoomSize < room)
        {
            textRoom.reset(new std::uint8_t[room]);
            textRoomSize = room;
        }
        return Texts{&parser, textRoom.get(), textRoom.get(), reuse};
    }

    od::value data()
    {
        document.rewind();
        return lf_memberAt(lf_take(document.get_object()), dataOrdinal);
    }

    Kind lf_rootScalarKind()
    {
        switch (lf_take(document.type()))
        {
        case od::json_type::number:
        {
            (void)lf_take(document.get_double());
            return Kind::floating;
        }
        case od::json_type::string:
            (void)lf_take(document.get_string());
            return Kind::text;
        case od::json_type::boolean:
            (void)lf_take(document.get_bool());
            return Kind::boolean;
        case od::json_type::null:
            if (!lf_take(document.is_null()))
                lf_notJson("not a literal");
            return Kind::null;
        default:
            lf_notJson("");
        }
    }
};

ReplyReader::ReplyReader() : m_impl(std::make_unique<Impl>()) {}

ReplyReader::~ReplyReader() = default;

const TrafficReply& ReplyReader::traffic(const std::string& reply, bool buffered)
{
    Impl& impl = *m_impl;
    TrafficReply& out = impl.traffic;
    const auto clear = [&]
    {
        out.bufferValues = {};
        impl.bufferPlaces = {};
        impl.staged.clear();
        for (std::vector<LiveArray>& arrays : impl.stagedBuffers)
            arrays.clear();
    };
    clear();
    impl.reread = reply.size() > impl.rereadAbove;
    impl.open(reply);
    Texts checked = impl.reread ? impl.roomForTexts(true) : Texts{};
    impl.head(out,
              [&](od::value data, std::size_t ordinal)
              {
                  // A repeated "data" counts with its last value.
                  clear();
                  impl.dataOrdinal = ordinal;
                  if (buffered)
                      return lf_buffers(data, out, impl.bufferPlaces, impl.reread ? nullptr : &impl.stagedBuffers,
                                        &checked);
                  if (impl.reread)
                      return lf_container(data, impl.livePlace, ordinal, 1, &checked);
                  return lf_liveContainer(data, impl.staged, 1);
              });
    return out;
}

void ReplyReader::eachLiveAircraft(const std::function<void(const LiveArray&)>& take)
{
    Impl& impl = *m_impl;
    if (!impl.reread)
    {
        for (const LiveArray& a : impl.staged)
            take(a);
        return;
    }
    impl.eachAircraft(impl.livePlace, impl.data(), 1, take);
}

void ReplyReader::eachBufferedAircraft(std::size_t buffer, const std::function<void(const LiveArray&)>& take)
{
    Impl& impl = *m_impl;
    if (!impl.reread)
    {
        for (const LiveArray& a : impl.stagedBuffers.at(buffer))
            take(a);
        return;
    }
    const ContainerPlace& place = impl.bufferPlaces.at(buffer);
    impl.eachAircraft(place, lf_memberAt(lf_take(impl.data().get_object()), place.ordinal), 2, take);
}

void ReplyReader::setRereadAbove(std::size_t bytes)
{
    m_impl->rereadAbove = bytes;
}

const ParkedReply& ReplyReader::parked(const std::string& reply)
{
    Impl& impl = *m_impl;
    impl.parked.members.clear();
    impl.open(reply);
    impl.head(impl.parked, [&](od::value data, std::size_t) { return lf_parkedData(data, impl.parked); });
    return impl.parked;
}

const WeatherReply& ReplyReader::weather(const std::string& reply)
{
    Impl& impl = *m_impl;
    impl.weather.qnh = {};
    impl.weather.firstStation = {};
    impl.weather.icao = {};
    impl.open(reply);
    impl.head(impl.weather, [&](od::value data, std::size_t) { return lf_weatherData(data, impl.weather); });
    return impl.weather;
}

const ReplyFields& ReplyReader::fields(const std::string& reply)
{
    Impl& impl = *m_impl;
    ReplyFields& out = impl.fields;
    out.members.clear();
    impl.open(reply);
    const od::json_type type = lf_take(impl.document.type());
    if (type != od::json_type::object)
    {
        ReplyHead head;
        impl.head(head, [](od::value data, std::size_t) { return lf_value(data, 1); });
        out.kind = head.kind;
        return out;
    }
    out.kind = Kind::object;
    for (auto entry : lf_take(impl.document.get_object()))
    {
        od::field field = lf_take(std::move(entry));
        const std::string_view name = lf_take(field.unescaped_key());
        out.members.emplace_back(name, lf_value(field.value(), 1));
    }
    impl.finish();
    return out;
}

const LiveArray& ReplyReader::liveArray(const std::string& json)
{
    Impl& impl = *m_impl;
    impl.live = LiveArray{};
    const Kind kind = impl.top(json, [&](od::value value) { lf_readLive(value, impl.live, 0); });
    if (kind != Kind::array && kind != Kind::object)
        impl.live.kind = kind;
    return impl.live;
}

const std::vector<LiveArray>& ReplyReader::liveContainer(const std::string& json)
{
    Impl& impl = *m_impl;
    impl.liveArrays.clear();
    (void)impl.top(json, [&](od::value value) { (void)lf_liveContainer(value, impl.liveArrays, 0); });
    return impl.liveArrays;
}

const ParkedArray& ReplyReader::parkedArray(const std::string& json)
{
    Impl& impl = *m_impl;
    impl.parkedArray = ParkedArray{};
    const Kind kind = impl.top(json, [&](od::value value) { lf_readParked(value, impl.parkedArray, 0); });
    if (kind != Kind::array && kind != Kind::object)
        impl.parkedArray.kind = kind;
    return impl.parkedArray;
}

} // namespace ovr
