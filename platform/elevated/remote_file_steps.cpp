#include "platform/elevated/remote_file_steps.h"

#include <functional>

#include "platform/elevated/step_protocol.h"

namespace zorvik::elevated {

namespace {

// Sends a request and reads its answer: the status, then what `more` takes of the rest.
Status ask(StepTransport& transport, const std::string& request,
           const std::function<void(MessageReader&)>& more = {}) {
    const auto answer = transport.exchange(request);
    if (!answer.ok()) {
        return answer.failure();
    }
    MessageReader reader(answer.value());
    Status status = reader.status();
    if (status.ok() && more) {
        more(reader);
    }
    return reader.whole() ? status : Status(brokenExchange());
}

}  // namespace

Status RemoteFileSteps::checkRemovable(const std::string& path) {
    return ask(transport_, MessageWriter().call(StepCall::CheckRemovable).text(path).take());
}

Result<std::string> RemoteFileSteps::createTemporary(const std::string& folder) {
    std::string path;
    const Status made =
        ask(transport_, MessageWriter().call(StepCall::CreateTemporary).text(folder).take(),
            [&](MessageReader& reader) { path = reader.text(); });
    if (!made.ok()) {
        return made.failure();
    }
    return path;
}

Status RemoteFileSteps::writeBlock(const std::string& temporary, std::uint64_t offset,
                                   std::span<const char> bytes) {
    return ask(transport_, MessageWriter()
                               .call(StepCall::WriteBlock)
                               .text(temporary)
                               .number(offset)
                               .text(std::string_view(bytes.data(), bytes.size()))
                               .take());
}

Status RemoteFileSteps::writeHole(const std::string& temporary, std::uint64_t offset,
                                  std::uint64_t length) {
    return ask(transport_, MessageWriter()
                               .call(StepCall::WriteHole)
                               .text(temporary)
                               .number(offset)
                               .number(length)
                               .take());
}

Status RemoteFileSteps::finishTemporary(const std::string& temporary, const ContentFacts& facts,
                                        bool keepReadOnly) {
    return ask(transport_, MessageWriter()
                               .call(StepCall::FinishTemporary)
                               .text(temporary)
                               .facts(facts)
                               .flag(keepReadOnly)
                               .take());
}

Status RemoteFileSteps::flushTemporary(const std::string& temporary) {
    return ask(transport_, MessageWriter().call(StepCall::FlushTemporary).text(temporary).take());
}

Status RemoteFileSteps::renameIntoPlace(const std::string& temporary,
                                        const std::string& destination) {
    return ask(
        transport_,
        MessageWriter().call(StepCall::RenameIntoPlace).text(temporary).text(destination).take());
}

void RemoteFileSteps::removeTemporary(const std::string& temporary) {
    (void)ask(transport_, MessageWriter().call(StepCall::RemoveTemporary).text(temporary).take());
}

void RemoteFileSteps::letGo(const std::string& temporary) {
    (void)ask(transport_, MessageWriter().call(StepCall::LetGo).text(temporary).take());
}

Status RemoteFileSteps::moveInOneStep(const std::string& from, const std::string& to) {
    return ask(transport_,
               MessageWriter().call(StepCall::MoveInOneStep).text(from).text(to).take());
}

Result<KeptAside> RemoteFileSteps::keepAside(const std::string& destination,
                                             const std::string& keptPath) {
    KeptAside kept;
    const Status done =
        ask(transport_,
            MessageWriter().call(StepCall::KeepAside).text(destination).text(keptPath).take(),
            [&](MessageReader& reader) {
                kept.path = reader.text();
                kept.linked = reader.flag();
            });
    if (!done.ok()) {
        return done.failure();
    }
    return kept;
}

Status RemoteFileSteps::putBack(const std::string& kept, const std::string& destination) {
    return ask(transport_,
               MessageWriter().call(StepCall::PutBack).text(kept).text(destination).take());
}

Status RemoteFileSteps::removeFile(const std::string& path, bool evenReadOnly) {
    return ask(transport_,
               MessageWriter().call(StepCall::RemoveFile).text(path).flag(evenReadOnly).take());
}

void RemoteFileSteps::syncFolder(const std::string& folder) {
    (void)ask(transport_, MessageWriter().call(StepCall::SyncFolder).text(folder).take());
}

void RemoteFileSteps::removeAbandonedTemporaries(const std::string& folder) {
    (void)ask(transport_,
              MessageWriter().call(StepCall::RemoveAbandonedTemporaries).text(folder).take());
}

std::string answerStep(FileSteps& steps, std::string_view request) {
    MessageReader in(request);
    const auto call = static_cast<StepCall>(in.byte());
    MessageWriter out;
    // Each call reads all its arguments first: a request that does not read whole is carried
    // out not at all.
    const auto once = [&](const std::function<void()>& step) {
        if (!in.whole()) {
            return out.status(brokenExchange()).take();
        }
        step();
        return out.take();
    };
    const auto answer = [&](const Status& status) { out.status(status); };
    switch (call) {
        case StepCall::CheckRemovable: {
            const std::string path = in.text();
            return once([&] { answer(steps.checkRemovable(path)); });
        }
        case StepCall::CreateTemporary: {
            const std::string folder = in.text();
            return once([&] {
                const auto made = steps.createTemporary(folder);
                answer(made.status());
                if (made.ok()) {
                    out.text(made.value());
                }
            });
        }
        case StepCall::WriteBlock: {
            const std::string temporary = in.text();
            const std::uint64_t offset = in.number();
            const std::string_view bytes = in.textView();
            return once([&] {
                answer(steps.writeBlock(temporary, offset,
                                        std::span<const char>(bytes.data(), bytes.size())));
            });
        }
        case StepCall::WriteHole: {
            const std::string temporary = in.text();
            const std::uint64_t offset = in.number();
            const std::uint64_t length = in.number();
            return once([&] { answer(steps.writeHole(temporary, offset, length)); });
        }
        case StepCall::FinishTemporary: {
            const std::string temporary = in.text();
            const ContentFacts facts = in.facts();
            const bool keepReadOnly = in.flag();
            return once([&] { answer(steps.finishTemporary(temporary, facts, keepReadOnly)); });
        }
        case StepCall::FlushTemporary: {
            const std::string temporary = in.text();
            return once([&] { answer(steps.flushTemporary(temporary)); });
        }
        case StepCall::RenameIntoPlace: {
            const std::string temporary = in.text();
            const std::string destination = in.text();
            return once([&] { answer(steps.renameIntoPlace(temporary, destination)); });
        }
        case StepCall::RemoveTemporary: {
            const std::string temporary = in.text();
            return once([&] {
                steps.removeTemporary(temporary);
                answer(Status::success());
            });
        }
        case StepCall::LetGo: {
            const std::string temporary = in.text();
            return once([&] {
                steps.letGo(temporary);
                answer(Status::success());
            });
        }
        case StepCall::MoveInOneStep: {
            const std::string from = in.text();
            const std::string to = in.text();
            return once([&] { answer(steps.moveInOneStep(from, to)); });
        }
        case StepCall::KeepAside: {
            const std::string destination = in.text();
            const std::string keptPath = in.text();
            return once([&] {
                const auto kept = steps.keepAside(destination, keptPath);
                answer(kept.status());
                if (kept.ok()) {
                    out.text(kept.value().path).flag(kept.value().linked);
                }
            });
        }
        case StepCall::PutBack: {
            const std::string kept = in.text();
            const std::string destination = in.text();
            return once([&] { answer(steps.putBack(kept, destination)); });
        }
        case StepCall::RemoveFile: {
            const std::string path = in.text();
            const bool evenReadOnly = in.flag();
            return once([&] { answer(steps.removeFile(path, evenReadOnly)); });
        }
        case StepCall::SyncFolder: {
            const std::string folder = in.text();
            return once([&] {
                steps.syncFolder(folder);
                answer(Status::success());
            });
        }
        case StepCall::RemoveAbandonedTemporaries: {
            const std::string folder = in.text();
            return once([&] {
                steps.removeAbandonedTemporaries(folder);
                answer(Status::success());
            });
        }
    }
    return out.status(brokenExchange()).take();
}

}  // namespace zorvik::elevated
