// Seams for tests: ways to run what would block on a user (message boxes, later modal file
// dialogs and the printer) headless, recording what the program asked for.
#pragma once

#include "String.h"

#include <deque>
#include <vector>

namespace Testing {

struct MessageBoxCall {
    CString strText;
    CString strCaption;   // empty for a NULL caption
    UINT nType;
};

// While one exists, MessageBox shows nothing: it records the call and answers at once with the
// next queued answer, or else the box's first button (IDOK, or IDYES for yes/no boxes).
// Recorders nest; the newest one answers.
class CMessageBoxRecorder {
public:
    CMessageBoxRecorder();
    ~CMessageBoxRecorder();
    CMessageBoxRecorder(const CMessageBoxRecorder&) = delete;
    CMessageBoxRecorder& operator=(const CMessageBoxRecorder&) = delete;

    void QueueAnswer(int nAnswer) { m_answers.push_back(nAnswer); }
    const std::vector<MessageBoxCall>& Calls() const { return m_calls; }

    // Used by MessageBox.
    static CMessageBoxRecorder* Active();
    int Answer(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType);

private:
    std::vector<MessageBoxCall> m_calls;
    std::deque<int> m_answers;
    CMessageBoxRecorder* m_pPrevious;
};

} // namespace Testing
