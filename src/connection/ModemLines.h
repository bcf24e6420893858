#pragma once
// The five modem-line labels: DTR and RTS (outputs, toggled by a click on their label) and DSR,
// CTS and CD (inputs), refreshed from the serial component.

#include "serial/SerialComm.h"
#include "connection/LineLabel.h"

namespace quillon {

struct LineLabels {
    LineLabel *LabelDTR = nullptr;
    LineLabel *LabelRTS = nullptr;
    LineLabel *LabelDSR = nullptr;
    LineLabel *LabelCTS = nullptr;
    LineLabel *LabelCD = nullptr;
};

class ModemLines {
public:
    ModemLines(SerialComm &comm, LineLabels labels);

    /// Shows the live state of all five lines, in the order DTR, RTS, DSR, CTS, CD. A component
    /// error ends the refresh at that line and passes to the caller.
    void ShowLineStates();
    /// Plain line names on light yellow; with two leading blanks at start-up, without after a
    /// close.
    void ShowNeutral(bool leadingBlanks);

    /// Toggle decided from the label text: "DTR=0 Enable" drops the line, any other text
    /// (neutral ones included) asserts it. Then refreshes.
    void LabelDTR_Click();
    void LabelRTS_Click();

    const LineLabels &Labels() const { return m_labels; }

private:
    SerialComm &m_comm;
    LineLabels m_labels;
};

} // namespace quillon
