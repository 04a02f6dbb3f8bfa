#include "split/duration_probe_thread.h"

#include "engine/quillmark_error.h"

TGetFileDuration::TGetFileDuration(Probe p, QString f, int g, QObject* parent)
    : QThread(parent), probe(std::move(p)), file(std::move(f)), generation(g) {}

void TGetFileDuration::run() {
    try {
        emit measured(generation, probe(file));
    } catch (const QuillmarkError& e) {
        emit failed(generation, e.message());
    } catch (const std::exception& e) {
        emit failed(generation, QString::fromLocal8Bit(e.what()));
    }
}
