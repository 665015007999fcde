#pragma once

#include "platform/audio/AudioError.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstBus GstBus;

namespace GstSupport {

// Initialises GStreamer once; a failure is kept and returned to every caller.
AudioResult<void> ensureInitialized();

// One element of a linear pipeline, with properties in gst-launch syntax.
struct Stage
{
    QString factory;
    std::vector<std::pair<QString, QString>> properties;
    QString name;
};

// Builds and links the stages into a new pipeline; the error names a missing element.
AudioResult<GstElement *> buildPipeline(const std::vector<Stage> &stages, const QString &pipelineName);
// The same stages as a gst-launch-1.0 description, to read.
QString launchDescription(const std::vector<Stage> &stages);
// The same stages as gst-launch-1.0's arguments, one token each (it escapes every argument).
QStringList launchArguments(const std::vector<Stage> &stages);

// The text of an error message posted on a bus.
AudioError errorFromMessage(GstMessage *message);
// How a run ended, when the message ends it: end-of-stream or an error.
std::optional<AudioResult<void>> outcome(GstMessage *message);
// The first error waiting on the pipeline's bus, or a generic one naming `what`.
AudioError pendingError(GstElement *pipeline, const QString &what);

// Starts a pipeline off the GUI thread (connecting to the sound server can take long) and later
// stops and releases it there too, in that order: once released it is never started again, even
// when the release was asked for before the start had run. Takes over the caller's reference.
// Completions run on the GUI thread, and are dropped once the application is going away.
class BackgroundPipeline
{
public:
    explicit BackgroundPipeline(GstElement *pipeline);

    GstElement *pipeline() const { return m_pipeline; }
    // `failed` runs on the GUI thread when the pipeline could not be started.
    void start(std::function<void()> failed);
    // Then runs `done` on the GUI thread. No-op when already released.
    void release(std::function<void()> done = {});
    // Sends end-of-stream to the pipeline's sources: a source stuck on its sound server blocks whoever
    // sends it.
    void endStream();
    // Ends the stream just after the sources, so that what later elements hold reaches the sinks
    // even when a source can send nothing more; the end-of-stream message follows on the bus.
    void endStreamAfterSources();

private:
    struct Order;
    void unlessReleased(const char *what, std::function<void(GstElement *)> work);
    GstElement *m_pipeline;
    std::shared_ptr<Order> m_order;
};

// Watches the pipeline's bus on the GUI thread's main context. The handler returns false to stop
// watching. Returns the watch's source id for removeWatch.
unsigned watchBus(GstElement *pipeline, std::function<bool(GstMessage *)> *handler);
void removeWatch(unsigned watchId);

} // namespace GstSupport
