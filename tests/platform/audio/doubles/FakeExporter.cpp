#include "FakeExporter.h"

void FakeExporter::exportWithSoftware(
    const QString &source, const QString &destination, const QString &software, Completion completion)
{
    requests.push_back({ source, destination, software, std::move(completion) });
}

bool FakeExporter::completeNext(const AudioResult<void> &result)
{
    if (m_completed >= requests.size()) {
        return false;
    }
    Completion completion = requests[m_completed++].completion;
    if (completion) {
        completion(result);
    }
    return true;
}
