#pragma once

#include "platform/audio/AudioExporter.h"

#include <vector>

// Records export requests; the test ends each with the result it wants.
class FakeExporter final : public AudioExporter
{
public:
    struct Request
    {
        QString source;
        QString destination;
        QString software;
        Completion completion;
    };

    std::vector<Request> requests;

    void exportWithSoftware(const QString &source, const QString &destination, const QString &software,
        Completion completion) override;
    // Ends the oldest open request; false when none is open.
    bool completeNext(const AudioResult<void> &result);

private:
    std::size_t m_completed = 0;
};
