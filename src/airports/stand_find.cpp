// Finding a stand for an aircraft that parks, in this order:
//
// 1. The nearest stand within the search distance that suits the aircraft:
//    a typed stand whose parking type accepts its category, or an untyped
//    stand that is at most 1.8 m smaller than the aircraft.
// 2. Failing that, an unsuitable stand within 20 m: the aircraft evidently
//    stands there, so the stand is taken and widened to the aircraft (the
//    learned radius is saved with the airport's learned file).
// 3. Failing both, and only while nothing within the distance was taken, a
//    suitable stand within 85 m where this aircraft (by callsign, or by
//    airline and type) has been seen parked before.
// Throughout, a helipad is no stand for a fixed-wing aircraft and any other
// stand none for a rotorcraft: such stands are passed over, so a helipad
// next to the aircraft never hides a fitting stand a little farther off.
#include "airports/stand_find.h"
#include "airports/stand_find_detail.h"

#include "airports/apf_updates.h"
#include "airports/stand_list.h"
#include "liveries/model_lookups.h"

namespace ovr
{

namespace
{

constexpr double kStartBestNm = 900.0;
constexpr double kTightNm = 0.010799136069114472;         // 20 m
constexpr double kLearnedNm = 0.0458963282937365;         // 85 m
constexpr double kUntypedSpareNm = 0.0009719222462203025; // 1.8 m
constexpr double kOneMetreNm = 0.0005399568034557236;

} // namespace

namespace detail
{

bool standSuits(const Stand& stand, const AiAircraftRecord& aircraft)
{
    if (stand.type != 0)
        return gf_standAcceptsClass(stand, static_cast<std::int32_t>(aircraft.category));
    return aircraft.radius - stand.radius <= kUntypedSpareNm;
}

bool seenAtStand(const Stand& stand, const AiAircraftRecord& aircraft)
{
    if (aircraft.callsign.empty())
        return false;
    for (const StandOption& option : stand.options)
        if (option.id != 0 && option.real == 1 &&
            (option.callsign == aircraft.callsign || option.callsign2 == aircraft.callsign ||
             gf_sameAirlineAndType(option.key, aircraft.key)))
            return true;
    return false;
}

} // namespace detail

Stand* gf_findStandNear(LatLon position, const AiAircraftRecord& aircraft, double maxNm, bool learnedFallback)
{
    // The nearest stand that suits, or failing that is within the tight
    // distance, is the answer; only when there is none does the nearest stand
    // where the aircraft was seen before serve. Of stands equally near, the
    // first in the list.
    struct Nearest
    {
        double distance = kStartBestNm;
        std::size_t index = 0;
        Stand* stand = nullptr;

        void offer(double d, std::size_t i, Stand& candidate)
        {
            if (d < distance || (d == distance && stand != nullptr && i < index))
            {
                distance = d;
                index = i;
                stand = &candidate;
            }
        }
    };
    Nearest found;
    Nearest learned;
    const bool rotorcraft = aircraft.category == kCategoryRotorcraft;
    // A NaN distance reaches nothing; the learned fallback still looks as far
    // as its own distance.
    const double reach = learnedFallback && !(maxNm > kLearnedNm) ? kLearnedNm : maxNm;

    g_stands.forEachNear(position, reach,
                         [&](Stand& stand, std::size_t i)
                         {
                             if (stand.reserved != 0 || (stand.heli != 0) != rotorcraft)
                                 return;
                             const double d = gf_distanceNm(position, LatLon{stand.latitude, stand.longitude});
                             if (d <= maxNm)
                             {
                                 if (detail::standSuits(stand, aircraft) || d <= kTightNm)
                                     found.offer(d, i, stand);
                             }
                             else if (learnedFallback && d <= kLearnedNm && detail::standSuits(stand, aircraft) &&
                                      detail::seenAtStand(stand, aircraft))
                             {
                                 learned.offer(d, i, stand);
                             }
                         });
    Stand* result = found.stand != nullptr ? found.stand : learned.stand;
    if (!result)
        return nullptr;

    if (found.stand != nullptr && !detail::standSuits(*result, aircraft))
    {
        // Only ever widened: a stand that is too small for this type stays as
        // large as an earlier, larger aircraft made it.
        const double widened = aircraft.radius - kOneMetreNm;
        if (widened > result->radius)
        {
            result->radius = widened;
            result->radiusChanged = 1;
            gf_countApfUpdate();
        }
    }
    return result;
}

} // namespace ovr
