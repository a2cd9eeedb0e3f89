// One satellite system in the satellite configuration dialog: its system box, one box per satellite
// with the unhealthy marker under it, and the All SVs On / All SVs Off buttons.
#pragma once

#include <QGroupBox>

#include <cstdint>
#include <vector>

#include "engine/satellitecatalogue.h"

struct BufferForConfiguration;
class Calculator;
class QCheckBox;
class QPushButton;
class TSatelliteMarker;
class myTCheckBox;

// The group shows every satellite of its system, by number.
struct SatelliteGroupIds {
    int systemBox;   // 365 GPS, 366 GLONASS
    int firstBox;    // 173 GPS, 205 GLONASS
    int firstMarker; // 1000 GPS, 1032 GLONASS
    int allOn, allOff;
    GnssSystem system;
    int count;   // the numbers whose ids follow firstBox and firstMarker: 32 GPS, 24 GLONASS
    int columns; // boxes per row
    // The ids of the numbers after `count` (GLONASS beyond slot 24).
    int moreBoxes = 0, moreMarkers = 0;
};

class TSatelliteGroup : public QGroupBox {
    Q_OBJECT
public:
    TSatelliteGroup(QWidget* parent, const QString& systemText, const SatelliteGroupIds& ids,
                    const Calculator& engine);

    QCheckBox* SystemBox() const { return system_; }
    int Count() const { return static_cast<int>(boxes_.size()); }
    myTCheckBox* Box(int k) const { return boxes_[static_cast<size_t>(k)]; }

    // The transfer of the record: the system's state and its satellites' box states (0, 1, 2).
    void SetStates(const BufferForConfiguration& buffer);
    uint16_t SystemState() const;
    void GetStates(BufferForConfiguration& buffer) const;

    // Whether the engine holds an almanac for any satellite of this system.
    bool EngineHasSystem() const;
    // After set-up: a system without almanac is unchecked and disabled; indeterminate boxes are
    // disabled.
    void DisableWhatIsAbsent();
    // After the engine loaded another almanac: the system box checked when it has satellites, every
    // box from the engine's state, the markers repainted.
    void RefreshFromEngine();

private:
    void SystemClicked();
    void SetAll(bool on);

    const Calculator& engine_;
    GnssSystem systemId_;
    std::vector<int> indices_; // the catalogue index of each box
    QCheckBox* system_;
    std::vector<myTCheckBox*> boxes_;
    std::vector<TSatelliteMarker*> markers_;
};
