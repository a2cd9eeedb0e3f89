// Telling a navigation file's wrong records from the right ones by the orbits themselves.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

// A record disagreeing with its neighbours by more than this is wrong: the broadcast orbits hold
// to metres within their fit intervals and to a few kilometres over the hours between records a
// file may leave; a record labelled with another satellite is thousands of kilometres off.
constexpr double kConsistentDistance = 100e3; // m
// Records farther apart are not compared: a day's extrapolation could exceed that distance.
constexpr double kConsistencyReach = 6 * 3600.0; // s
// Each record is compared with the following ones until two agree, at most this many.
constexpr int kConsistencyPartners = 8;

struct RecordAtOdds {
    size_t index;    // into the satellite's records
    double distance; // m, the least disagreement found for the record, else for its group
};

// A record labelled with the wrong satellite (merged files carry a station's mislabelled GLONASS
// slot: the satellite across the plane, 51,000 km away), or otherwise corrupted, disagrees with the
// same satellite's neighbouring records. Each record is compared with the following ones within
// kConsistencyReach, both carried to the middle of the two epochs. Records that agree form groups;
// the largest group stands, and a group at odds with a larger standing one is left out: a wrong
// label rarely holds for as long as the right one. Two groups of equal size at odds with each
// other are both left out, since either may be the wrong one. A group compared with no standing
// group (records more than kConsistencyReach apart) stands.
// `times` are one satellite's records' reference times, ascending; `position(i, t, xyz)` gives
// record i's position at t (false: none). Answers the records left out.
std::vector<RecordAtOdds> RecordsAtOdds(const std::vector<double>& times,
                                        const std::function<bool(size_t, double, double*)>& position);
