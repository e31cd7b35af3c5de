// Reading the replies of the live-traffic service: each reply is checked
// whole (a reply that is not all JSON is refused whole, as before any of it
// is used) and what the decoders read is kept: the top fields, and the
// aircraft arrays with the positions their decoders look at (those of a
// long traffic reply are read again one at a time as they are taken, rather
// than kept from the check). The members of an object come in the order of
// their names, a name that repeats counting once with its last value; an
// array's elements in their order.
#pragma once

#include "service/reply_value.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ovr
{

// A reply, or the part of one, that is no JSON.
class ReplyNotJson : public std::invalid_argument
{
  public:
    using std::invalid_argument::invalid_argument;
};

// Capacity after a reply's text that lets a reader parse the text where it
// lies; a text with less is copied first.
inline constexpr std::size_t kReplyPadding = 64;

// A traffic reply longer than this is read twice (ReplyReader::setRereadAbove).
inline constexpr std::size_t kRereadAbove = std::size_t{1} << 20;

// The positions of a live aircraft array that the decoder reads; a live
// array has kLiveArraySize elements.
inline constexpr std::array<std::uint8_t, 18> kLivePositions{0,  1,  2,  3,  4,  5,  8,  9,  10,
                                                            11, 12, 13, 15, 17, 20, 23, 25, 28};
inline constexpr std::size_t kLiveArraySize = 48;
// A parked array is read at positions 0 to 6.
inline constexpr std::size_t kParkedPositions = 7;

// One value that a decoder reads by position: whether it is an array, its
// element count, and its elements at the positions kept.
template <std::size_t Kept> struct PositionalValue
{
    ReplyValue::Kind kind = ReplyValue::Kind::absent;
    // An array or object without elements.
    bool emptyContainer = false;
    std::size_t size = 0;
    std::array<ReplyValue, Kept> kept;

    bool isArray() const { return kind == ReplyValue::Kind::array; }
    // Null, or an array or object without elements.
    bool empty() const
    {
        return kind == ReplyValue::Kind::null ||
               ((kind == ReplyValue::Kind::array || kind == ReplyValue::Kind::object) && emptyContainer);
    }
};

struct LiveArray : PositionalValue<kLivePositions.size()>
{
    // The member's name in its reply (empty for an array element).
    std::string_view name;
    // The element at `position`: absent beyond the array's end, for a value
    // that is no array, and at a position the decoder does not read.
    const ReplyValue& at(std::size_t position) const;
    ReplyValue* slot(std::size_t position);
    bool isAircraft() const { return isArray() && size == kLiveArraySize; }
};

struct ParkedArray : PositionalValue<kParkedPositions>
{
    // As LiveArray::at, absent also beyond position 6.
    const ReplyValue& at(std::size_t position) const;
    // The element that must be there: throws std::invalid_argument for a
    // value that is no array, std::out_of_range beyond its end.
    const ReplyValue& need(std::size_t position) const;
};

// The top fields of a reply, each absent when missing (a repeated one
// counts with its last value).
struct ReplyHead
{
    // The reply's own kind: the fields mean something in an object only.
    ReplyValue::Kind kind = ReplyValue::Kind::absent;
    ReplyValue status;
    ReplyValue message;
    ReplyValue rrl;
    ReplyValue wrrl;
    // Its kind and emptiness.
    ReplyValue data;
};

// The aircraft arrays are read by ReplyReader::eachLiveAircraft and
// eachBufferedAircraft.
struct TrafficReply : ReplyHead
{
    // A buffered reply: "buffer_4" (oldest) to "buffer_0" in "data" as
    // values (kind, emptiness).
    std::array<ReplyValue, 5> bufferValues;
};

struct ParkedMember
{
    // The member's name, or the element's index as text.
    std::string name;
    ParkedArray value;
};

struct ParkedReply : ReplyHead
{
    // The values of "data" that are not empty.
    std::vector<ParkedMember> members;
};

struct WeatherReply : ReplyHead
{
    // "data"."QNH" when "data" is an object that has it.
    ReplyValue qnh;
    // "data"[0] when "data" is an array, and its "ICAO" when that is an
    // object.
    ReplyValue firstStation;
    ReplyValue icao;
};

// Every top member of a reply, for replies read by name (the login's).
struct ReplyFields
{
    ReplyValue::Kind kind = ReplyValue::Kind::absent;
    std::vector<std::pair<std::string_view, ReplyValue>> members;
    // The member's last value, absent when there is none.
    const ReplyValue& get(std::string_view name) const;
};

class ReplyReader
{
  public:
    ReplyReader();
    ~ReplyReader();
    ReplyReader(const ReplyReader&) = delete;
    ReplyReader& operator=(const ReplyReader&) = delete;

    // Each throws ReplyNotJson for text that is not wholly JSON. The
    // result, and every text in it, lives until the next read.
    const TrafficReply& traffic(const std::string& reply, bool buffered);
    // The aircraft arrays of the traffic reply read last (which must still
    // be there), each handed to `take`: a live reply's among the values of
    // "data", a buffered reply's in buffer `buffer` (0 for "buffer_4" to 4
    // for "buffer_0"). They come in the order of their names, a repeated
    // name once with its last value; an array's elements in their order.
    // Each array lives until `take` returns.
    void eachLiveAircraft(const std::function<void(const LiveArray&)>& take);
    void eachBufferedAircraft(std::size_t buffer, const std::function<void(const LiveArray&)>& take);
    // A traffic reply of more than `bytes` (kRereadAbove unless set) is read twice:
    // checked whole first, then each aircraft array read again as it is
    // taken, so that the values of thousands of aircraft are never held at
    // once. A shorter one keeps its arrays as it is checked, which is
    // faster. Tests set 0 to read every reply twice.
    void setRereadAbove(std::size_t bytes);
    const ParkedReply& parked(const std::string& reply);
    const WeatherReply& weather(const std::string& reply);
    const ReplyFields& fields(const std::string& reply);
    // One JSON value read as a live array, or as the container of
    // live arrays that "data" is.
    const LiveArray& liveArray(const std::string& json);
    const std::vector<LiveArray>& liveContainer(const std::string& json);
    const ParkedArray& parkedArray(const std::string& json);

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace ovr
