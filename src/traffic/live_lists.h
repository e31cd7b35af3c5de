// Small services over the live aircraft: stand names for log lines, removal
// of the farthest aircraft, removals in the user aircraft's way, the callsign
// choices of the window, the removal queue and the live-aircraft info file
// output/info/ObjectIdList.txt. Main-loop thread only.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace ovr
{

// The object id of the followed aircraft (the window's choice), 0 for none.
extern std::atomic<std::uint32_t> g_followedObjectId;

// The name of the stand with that numeric id; "sid==0?" for 0, "sid==?"
// when unknown.
std::string gf_standName(std::uint32_t standId);
// Removes the active live aircraft farthest from the user beyond d (+0.1 NM);
// with d negative the farthest of all. True when none was removed.
bool gf_removeFarthestLiveAc(double distanceNm);
void gf_avoidCollisionUserAir();
void gf_avoidCollisionUserGnd();
void gf_updateBlockedList();
bool gf_updateLiveCallsignList();
// Empties the callsign choices (closing down).
void gf_clearLiveCallsignList();
void gf_queueObjectRemoval(std::uint32_t objectId);
void gf_queuePendingInit(std::uint32_t key);
// The lines of output/info/ObjectIdList.txt for the live aircraft now.
std::vector<std::string> lf_liveAcLines();
void lf_writeLiveAcFile();
void gf_clearStaticsOnTaxiPaths();

// Where the callsign choices go when they change: the window's combo box and
// buttons, which are floors above; the program sets it at start. Unset, only
// the choices change.
struct CallsignChoiceHooks
{
    void (*refreshCombo)() = nullptr;
    void (*enableCombo)(bool) = nullptr;
    void (*enableBlock)(bool) = nullptr;
    bool (*unblockEnabled)() = nullptr;
    void (*setFollowText)(const std::string&) = nullptr;
};
void gf_setCallsignChoicesHook(const CallsignChoiceHooks& hooks);

} // namespace ovr
