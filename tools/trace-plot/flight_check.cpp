#include "flight_check.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>

#include "platform/simconnect/geo.h"

namespace ovr::traceplot
{

namespace
{

using sim::detail::distanceM;

// Reports further apart than this are not joined: the truth between them
// is not known.
constexpr double kMaxReportGapS = 30.0;
// A live reply plays 30 s after it arrives and its data are a few seconds
// old then; close enough to tell two aircraft of one callsign apart.
constexpr double kNominalDelayS = 33.0;
constexpr double kLongestDelayS = 90.0;
// What a one-second step between two object tables may be.
constexpr double kLongestStepMs = 1500.0;
constexpr double kFeedAirborneAboveFt = 500.0;
constexpr double kGearUpAboveFt = 5000.0;
constexpr double kFlapsOutBelowFt = 1000.0;
constexpr double kMovingAboveMps = 3.0 * 1852.0 / 3600.0;
constexpr double kCrabAboveDeg = 30.0;
// A change of speed from one second to the next that no aircraft in flight
// makes: 29 kt in a second, one and a half g.
constexpr double kSurgeMps = 15.0;
// Further off than this the aircraft moves backwards: a pushback.
constexpr double kPushbackAboveDeg = 150.0;
constexpr double kTouchdownWindowMs = 10000.0;
// The simulator keeps this many characters of a tail number.
constexpr std::size_t kAtcIdChars = 12;
// A delay fitted to one aircraft needs this many airborne seconds.
constexpr std::size_t kOwnDelaySamples = 20;

struct FeedState
{
    double lat = 0.0;
    double lon = 0.0;
    double altFt = 0.0;
    bool airborne = false; // at both reports around the moment
    bool ground = false;
};

std::optional<FeedState> lf_feedAt(const FeedAircraft& a, double t)
{
    const std::vector<FeedPosition>& p = a.positions;
    const auto after =
        std::lower_bound(p.begin(), p.end(), t, [](const FeedPosition& x, double v) { return x.dataTime < v; });
    if (after == p.end())
        return std::nullopt;
    if (after->dataTime == t)
        return FeedState{after->lat, after->lon, after->altFt, !after->onGround, after->onGround};
    if (after == p.begin())
        return std::nullopt;
    const FeedPosition& b = *after;
    const FeedPosition& a0 = *(after - 1);
    if (b.dataTime - a0.dataTime > kMaxReportGapS)
        return std::nullopt;
    const double f = (t - a0.dataTime) / (b.dataTime - a0.dataTime);
    return FeedState{a0.lat + (b.lat - a0.lat) * f, a0.lon + (b.lon - a0.lon) * f, a0.altFt + (b.altFt - a0.altFt) * f,
                     !a0.onGround && !b.onGround, a0.onGround && b.onGround};
}

// The feed's time of what the program shows at a trace moment.
double lf_feedTime(const Sample& s, double epochMsAtZero, double delayS)
{
    return (epochMsAtZero + s.tMs) / 1000.0 - delayS;
}

double lf_nearestRank(std::vector<double>& sorted, double share)
{
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

ErrorFigures lf_figures(std::vector<double> errors)
{
    ErrorFigures f;
    f.count = errors.size();
    if (errors.empty())
        return f;
    std::sort(errors.begin(), errors.end());
    f.medianM = lf_nearestRank(errors, 0.5);
    f.p90M = lf_nearestRank(errors, 0.9);
    f.worstM = errors.back();
    return f;
}

struct Errors
{
    std::vector<double> airborne;
    std::vector<double> ground;
    std::vector<double> airborneAltitude; // feet
};

void lf_collectErrors(const TracedObject& o, const FeedAircraft& feed, double epochMs, double delayS, Errors& out)
{
    for (const Sample& s : o.samples)
    {
        const std::optional<FeedState> f = lf_feedAt(feed, lf_feedTime(s, epochMs, delayS));
        if (!f)
            continue;
        const double error = distanceM(s.lat, s.lon, f->lat, f->lon);
        if (f->airborne)
        {
            out.airborne.push_back(error);
            out.airborneAltitude.push_back(std::fabs(s.altFt - f->altFt));
        }
        else if (f->ground)
            out.ground.push_back(error);
    }
}

double lf_median(std::vector<double> values)
{
    if (values.empty())
        return std::numeric_limits<double>::infinity();
    std::sort(values.begin(), values.end());
    return lf_nearestRank(values, 0.5);
}

bool lf_sameTail(const std::string& atcId, const std::string& name)
{
    if (atcId.empty() || name.empty())
        return false;
    return atcId == name || (atcId.size() == kAtcIdChars && name.size() > kAtcIdChars && name.starts_with(atcId));
}

const FeedAircraft* lf_match(const TracedObject& o, const std::vector<FeedAircraft>& feed, double epochMs)
{
    const FeedAircraft* best = nullptr;
    double bestMedian = std::numeric_limits<double>::infinity();
    for (const FeedAircraft& a : feed)
    {
        if (!lf_sameTail(o.callsign, a.callsign) && !lf_sameTail(o.callsign, a.registration))
            continue;
        Errors e;
        lf_collectErrors(o, a, epochMs, kNominalDelayS, e);
        e.airborne.insert(e.airborne.end(), e.ground.begin(), e.ground.end());
        const double median = lf_median(std::move(e.airborne));
        if (best == nullptr || median < bestMedian)
        {
            best = &a;
            bestMedian = median;
        }
    }
    return best;
}

// The delay in whole seconds whose airborne errors (ground errors when there
// are none) have the smallest median.
std::optional<double> lf_bestDelay(const std::vector<std::pair<const TracedObject*, const FeedAircraft*>>& pairs,
                                   double epochMs, std::size_t fewest)
{
    std::optional<double> best;
    double bestMedian = std::numeric_limits<double>::infinity();
    for (double d = 0.0; d <= kLongestDelayS; d += 1.0)
    {
        Errors e;
        for (const auto& [o, a] : pairs)
            lf_collectErrors(*o, *a, epochMs, d, e);
        std::vector<double>& used = e.airborne.empty() ? e.ground : e.airborne;
        if (used.size() < fewest)
            continue;
        const double median = lf_median(std::move(used));
        if (median < bestMedian)
        {
            best = d;
            bestMedian = median;
        }
    }
    return best;
}

// Degrees from north, for the short steps between two tables.
double lf_courseDeg(const Sample& from, const Sample& to)
{
    constexpr double kDegree = std::numbers::pi / 180.0;
    const double north = to.lat - from.lat;
    const double east = (to.lon - from.lon) * std::cos(from.lat * kDegree);
    return std::atan2(east, north) / kDegree;
}

double lf_offDeg(double a, double b)
{
    return std::fabs(std::remainder(a - b, 360.0));
}

void lf_touchdowns(const TracedObject& o, AircraftCheck& c)
{
    const std::vector<Sample>& s = o.samples;
    for (std::size_t i = 1; i < s.size(); ++i)
    {
        if (!s[i].onGround || s[i - 1].onGround)
            continue;
        std::size_t first = i;
        while (first > 0 && s[first - 1].tMs >= s[i].tMs - kTouchdownWindowMs)
            --first;
        if (first == i)
            continue;
        Touchdown t;
        t.tMs = s[i].tMs;
        t.sinkFpm = (s[first].altFt - s[i].altFt) / (s[i].tMs - s[first].tMs) * 60000.0;
        for (std::size_t j = first + 1; j <= i; ++j)
        {
            const double seconds = std::max(1.0, (s[j].tMs - s[j - 1].tMs) / 1000.0);
            t.largestDropFt = std::max(t.largestDropFt, (s[j - 1].altFt - s[j].altFt) / seconds);
        }
        c.touchdowns.push_back(t);
    }
}

// What needs the object alone: its steps, its ground track, its
// configuration, its touchdowns.
void lf_ownFigures(const TracedObject& o, AircraftCheck& c)
{
    const std::vector<Sample>& s = o.samples;
    // The speed of the step before, in the air and on the ground; none (below
    // 0) before the object first moves in the air (a new object waits for its
    // first position) or after a gap.
    constexpr double kNone = -1.0;
    double airSpeedBefore = kNone;
    double groundSpeedBefore = kNone;
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        const double aglFt = s[i].altFt - s[i].groundFt;
        // An object's first snapshot may come before the program has learned
        // its id and so before it could set the gear: the simulator's
        // default for a new object is not the program's doing.
        if (i > 0 && s[i].gearDown && aglFt > kGearUpAboveFt)
            ++c.gearDownHighS;
        if (i == 0)
            continue;
        const Sample& p = s[i - 1];
        const double dtMs = s[i].tMs - p.tMs;
        if (dtMs <= 0.0 || dtMs > kLongestStepMs)
        {
            airSpeedBefore = groundSpeedBefore = kNone;
            continue;
        }
        const double speed = distanceM(p.lat, p.lon, s[i].lat, s[i].lon) / (dtMs / 1000.0);
        if (!p.onGround && !s[i].onGround && (airSpeedBefore >= 0.0 || speed > 0.0))
        {
            if (airSpeedBefore >= 0.0)
            {
                ++c.airborneStepsS;
                c.surgeS += std::fabs(speed - airSpeedBefore) > kSurgeMps ? 1 : 0;
            }
            airSpeedBefore = speed;
        }
        else
            airSpeedBefore = kNone;
        if (p.onGround && s[i].onGround)
        {
            const double change = groundSpeedBefore >= 0.0 ? std::fabs(speed - groundSpeedBefore) : 0.0;
            if (change > c.largestGroundChangeMps)
            {
                c.largestGroundChangeMps = change;
                c.largestGroundChangeAtMs = s[i].tMs;
            }
            groundSpeedBefore = speed;
        }
        else
            groundSpeedBefore = kNone;
        if (speed > c.fastestStepMps)
        {
            c.fastestStepMps = speed;
            c.fastestStepAtMs = s[i].tMs;
        }
        if (p.onGround && s[i].onGround && speed > kMovingAboveMps)
        {
            const double off = lf_offDeg(s[i].headingDeg, lf_courseDeg(p, s[i]));
            if (off <= kPushbackAboveDeg)
            {
                ++c.movingGroundS;
                c.crabS += off > kCrabAboveDeg ? 1 : 0;
            }
        }
    }
    // Descending: lower than five seconds before by more than 25 ft (300 fpm).
    constexpr std::size_t kBack = 5;
    constexpr double kDescendingFt = 25.0;
    for (std::size_t i = kBack; i < s.size(); ++i)
    {
        if (!s[i].onGround && s[i].altFt - s[i].groundFt < kFlapsOutBelowFt && s[i].flapsPercent <= 0.0 &&
            s[i - kBack].altFt - s[i].altFt > kDescendingFt)
            ++c.flapsUpLowS;
    }
    lf_touchdowns(o, c);
}

void lf_feedFigures(const TracedObject& o, const FeedAircraft& feed, double epochMs, double delayS,
                    AircraftCheck& c, Errors& all)
{
    Errors e;
    lf_collectErrors(o, feed, epochMs, delayS, e);
    all.airborne.insert(all.airborne.end(), e.airborne.begin(), e.airborne.end());
    all.ground.insert(all.ground.end(), e.ground.begin(), e.ground.end());
    all.airborneAltitude.insert(all.airborneAltitude.end(), e.airborneAltitude.begin(), e.airborneAltitude.end());
    c.airborne = lf_figures(std::move(e.airborne));
    c.ground = lf_figures(std::move(e.ground));
    c.airborneAltitude = lf_figures(std::move(e.airborneAltitude));
    for (const Sample& s : o.samples)
    {
        if (!s.onGround)
            continue;
        const std::optional<FeedState> f = lf_feedAt(feed, lf_feedTime(s, epochMs, delayS));
        if (f && f->airborne && f->altFt - s.groundFt > kFeedAirborneAboveFt)
            ++c.groundWhileFeedAirborneS;
    }
}

void lf_limits(FlightCheck& check)
{
    const AircraftCheck* groundWorst = nullptr;
    const AircraftCheck* stepWorst = nullptr;
    const AircraftCheck* sinkWorst = nullptr;
    const Touchdown* sinkTouchdown = nullptr;
    const AircraftCheck* dropWorst = nullptr;
    const Touchdown* dropTouchdown = nullptr;
    int moving = 0;
    int crab = 0;
    int gear = 0;
    const AircraftCheck* gearWorst = nullptr;
    int airborneSteps = 0;
    int surges = 0;
    for (const AircraftCheck& a : check.aircraft)
    {
        if (groundWorst == nullptr || a.groundWhileFeedAirborneS > groundWorst->groundWhileFeedAirborneS)
            groundWorst = &a;
        if (stepWorst == nullptr || a.fastestStepMps > stepWorst->fastestStepMps)
            stepWorst = &a;
        for (const Touchdown& t : a.touchdowns)
        {
            if (sinkTouchdown == nullptr || t.sinkFpm > sinkTouchdown->sinkFpm)
            {
                sinkWorst = &a;
                sinkTouchdown = &t;
            }
            if (dropTouchdown == nullptr || t.largestDropFt > dropTouchdown->largestDropFt)
            {
                dropWorst = &a;
                dropTouchdown = &t;
            }
        }
        moving += a.movingGroundS;
        crab += a.crabS;
        gear += a.gearDownHighS;
        if (gearWorst == nullptr || a.gearDownHighS > gearWorst->gearDownHighS)
            gearWorst = &a;
        airborneSteps += a.airborneStepsS;
        surges += a.surgeS;
    }
    const auto whose = [](const AircraftCheck* a) { return a == nullptr ? std::string("none") : a->callsign; };
    check.limits.push_back(LimitCheck{
        fmt::format("on the ground while the feed is airborne above 500 ft: at most {} s per aircraft",
                    kMaxGroundWhileFeedAirborneS),
        groundWorst == nullptr || groundWorst->groundWhileFeedAirborneS <= kMaxGroundWhileFeedAirborneS,
        groundWorst == nullptr || groundWorst->groundWhileFeedAirborneS == 0
            ? std::string("none")
            : fmt::format("worst {} s ({})", groundWorst->groundWhileFeedAirborneS, whose(groundWorst))});
    check.limits.push_back(LimitCheck{
        fmt::format("one-second step: at most {:.0f} m/s", kMaxStepMps),
        stepWorst == nullptr || stepWorst->fastestStepMps <= kMaxStepMps,
        stepWorst == nullptr ? std::string("no steps")
                             : fmt::format("fastest {:.0f} m/s ({} at {:.0f} s)", stepWorst->fastestStepMps,
                                           whose(stepWorst), stepWorst->fastestStepAtMs / 1000.0)});
    check.limits.push_back(LimitCheck{
        fmt::format("sink rate over the last 10 s before touchdown: at most {:.0f} fpm", kMaxTouchdownSinkFpm),
        sinkTouchdown == nullptr || sinkTouchdown->sinkFpm <= kMaxTouchdownSinkFpm,
        sinkTouchdown == nullptr
            ? std::string("no touchdowns")
            : fmt::format("worst {:.0f} fpm ({} at {:.0f} s)", sinkTouchdown->sinkFpm, whose(sinkWorst),
                          sinkTouchdown->tMs / 1000.0)});
    check.limits.push_back(LimitCheck{
        fmt::format("one-second drop in the last 10 s before touchdown: at most {:.0f} ft", kMaxTouchdownDropFt),
        dropTouchdown == nullptr || dropTouchdown->largestDropFt <= kMaxTouchdownDropFt,
        dropTouchdown == nullptr
            ? std::string("no touchdowns")
            : fmt::format("worst {:.1f} ft ({} at {:.0f} s)", dropTouchdown->largestDropFt, whose(dropWorst),
                          dropTouchdown->tMs / 1000.0)});
    const double share = moving > 0 ? static_cast<double>(crab) / static_cast<double>(moving) : 0.0;
    check.limits.push_back(LimitCheck{
        fmt::format("nose over 30 degrees off the track on the ground: at most {:.0f} % of moving seconds",
                    kMaxCrabShare * 100.0),
        share <= kMaxCrabShare, fmt::format("{} of {} s ({:.1f} %)", crab, moving, share * 100.0)});
    const double surgeShare = airborneSteps > 0 ? static_cast<double>(surges) / static_cast<double>(airborneSteps) : 0.0;
    check.limits.push_back(LimitCheck{
        fmt::format("speed more than {:.0f} m/s off the second before, in the air: at most {:.0f} % of airborne seconds",
                    kSurgeMps, kMaxSurgeShare * 100.0),
        surgeShare <= kMaxSurgeShare, fmt::format("{} of {} s ({:.1f} %)", surges, airborneSteps, surgeShare * 100.0)});
    check.limits.push_back(LimitCheck{
        "gear down above 5,000 ft AGL: never", gear <= kMaxGearDownHighS,
        gear == 0 ? std::string("none")
                  : fmt::format("{} s (most: {}, {} s)", gear, whose(gearWorst), gearWorst->gearDownHighS)});
    check.limits.push_back(LimitCheck{
        fmt::format("airborne error: median at most {:.0f} m, p90 at most {:.0f} m", kMaxAirborneMedianErrorM,
                    kMaxAirborneP90ErrorM),
        check.airborne.medianM <= kMaxAirborneMedianErrorM && check.airborne.p90M <= kMaxAirborneP90ErrorM,
        check.airborne.count == 0
            ? std::string("no airborne seconds matched")
            : fmt::format("median {:.0f} m, p90 {:.0f} m", check.airborne.medianM, check.airborne.p90M)});
}

std::string lf_errorText(const ErrorFigures& e)
{
    if (e.count == 0)
        return "-";
    return fmt::format("{:.0f}/{:.0f}/{:.0f}", e.medianM, e.p90M, e.worstM);
}

std::string lf_touchdownText(const std::vector<Touchdown>& touchdowns)
{
    if (touchdowns.empty())
        return "-";
    std::string text;
    for (const Touchdown& t : touchdowns)
        text += fmt::format("{}{:.0f}/{:.0f}", text.empty() ? "" : " ", t.sinkFpm, t.largestDropFt);
    return text;
}

} // namespace

bool FlightCheck::passed() const
{
    return std::all_of(limits.begin(), limits.end(), [](const LimitCheck& l) { return l.pass; });
}

FlightCheck checkFlights(const Trace& trace, const std::vector<FeedAircraft>& feed, const CheckOptions& options)
{
    const std::optional<double> epoch = options.epochMsAtZero ? options.epochMsAtZero : trace.epochMsAtZero;
    if (!epoch)
        throw std::runtime_error("the trace does not say when its time 0 was (no clock record): give it");
    std::vector<std::pair<const TracedObject*, const FeedAircraft*>> pairs;
    FlightCheck check;
    for (const TracedObject& o : trace.objects)
    {
        if (o.kind != ObjectKind::live)
            continue;
        AircraftCheck c;
        c.id = o.id;
        c.callsign = o.callsign;
        if (const FeedAircraft* match = lf_match(o, feed, *epoch))
        {
            c.feedKey = match->key;
            pairs.emplace_back(&o, match);
            c.ownDelayS = lf_bestDelay({{&o, match}}, *epoch, kOwnDelaySamples);
        }
        lf_ownFigures(o, c);
        check.aircraft.push_back(std::move(c));
    }
    check.delayEstimated = !options.delayS.has_value();
    check.delayS = options.delayS ? *options.delayS : lf_bestDelay(pairs, *epoch, 1).value_or(kNominalDelayS);
    Errors all;
    std::size_t next = 0;
    for (AircraftCheck& c : check.aircraft)
    {
        if (c.feedKey.empty())
            continue;
        const auto& [o, match] = pairs[next++];
        lf_feedFigures(*o, *match, *epoch, check.delayS, c, all);
    }
    check.airborne = lf_figures(std::move(all.airborne));
    check.ground = lf_figures(std::move(all.ground));
    check.airborneAltitude = lf_figures(std::move(all.airborneAltitude));
    lf_limits(check);
    return check;
}

std::string checkText(const FlightCheck& check)
{
    std::ostringstream out;
    const auto matched = std::count_if(check.aircraft.begin(), check.aircraft.end(),
                                       [](const AircraftCheck& a) { return !a.feedKey.empty(); });
    out << fmt::format("Flight check: {} live aircraft, {} matched to the feed; delay {:.0f} s{}\n",
                       check.aircraft.size(), matched, check.delayS, check.delayEstimated ? " (best fit)" : "");
    out << "  error m (altitude ft): median/p90/worst; step: fastest 1-s step m/s; gchg: largest change of it on the\n"
           "  ground m/s; gnd>500: s on the ground while the feed flies above 500 ft; crab: s nose >30 deg off/moving\n"
           "  ground s; gear: s down above 5,000 ft AGL; flap: s flaps up descending below 1,000 ft AGL; surge: airborne s\n"
           "  whose speed is >15 m/s off the second before/airborne s; touchdowns: sink fpm over 10 s/largest 1-s drop ft\n";
    out << fmt::format("  {:<12} {:<7} {:>5} {:>15} {:>15} {:>15} {:>5} {:>5} {:>7} {:>9} {:>4} {:>4} {:>8}  {}\n", "aircraft",
                       "feed", "delay", "air error", "altitude error", "ground error", "step", "gchg", "gnd>500", "crab", "gear",
                       "flap", "surge", "touchdowns");
    for (const AircraftCheck& a : check.aircraft)
    {
        out << fmt::format("  {:<12} {:<7} {:>5} {:>15} {:>15} {:>15} {:>5.0f} {:>5.0f} {:>7} {:>9} {:>4} {:>4} {:>8}  {}\n",
                           a.callsign.empty() ? "(none)" : a.callsign, a.feedKey.empty() ? "-" : a.feedKey,
                           a.ownDelayS ? fmt::format("{:.0f}", *a.ownDelayS) : "-", lf_errorText(a.airborne),
                           lf_errorText(a.airborneAltitude), lf_errorText(a.ground), a.fastestStepMps, a.largestGroundChangeMps,
                           a.groundWhileFeedAirborneS,
                           fmt::format("{}/{}", a.crabS, a.movingGroundS), a.gearDownHighS, a.flapsUpLowS,
                           fmt::format("{}/{}", a.surgeS, a.airborneStepsS), lf_touchdownText(a.touchdowns));
    }
    out << fmt::format("  overall: airborne error {} m ({} s), altitude {} ft; ground error {} m ({} s)\n",
                       lf_errorText(check.airborne), check.airborne.count, lf_errorText(check.airborneAltitude),
                       lf_errorText(check.ground), check.ground.count);
    int broken = 0;
    for (const LimitCheck& l : check.limits)
    {
        out << fmt::format("  {}  {}: {}\n", l.pass ? "PASS" : "FAIL", l.limit, l.found);
        broken += l.pass ? 0 : 1;
    }
    out << (broken == 0 ? std::string("Flight check: PASS\n")
                        : fmt::format("Flight check: FAIL ({} of {} limits broken)\n", broken, check.limits.size()));
    return out.str();
}

} // namespace ovr::traceplot
