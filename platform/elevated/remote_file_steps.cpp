#include "platform/elevated/remote_file_steps.h"

#include <functional>

#include "platform/elevated/step_protocol.h"

namespace zorvik::elevated {

namespace {

// Sends a request and reads its answer: the status, then what `more` takes of the rest.
Status ask(StepTransport& transport, MessageWriter&& request,
           const std::function<void(MessageReader&)>& more = {}) {
    const auto answer = transport.exchange(request.take());
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
    return ask(transport_, std::move(MessageWriter().call(StepCall::CheckRemovable).text(path)));
}

Result<std::string> RemoteFileSteps::createTemporary(const std::string& folder) {
    std::string path;
    const Status made =
        ask(transport_, std::move(MessageWriter().call(StepCall::CreateTemporary).text(folder)),
            [&](MessageReader& reader) { path = reader.text(); });
    if (!made.ok()) {
        return made.failure();
    }
    return path;
}

Status RemoteFileSteps::writeBlock(const std::string& temporary, std::uint64_t offset,
                                   std::span<const char> bytes) {
    return ask(transport_, std::move(MessageWriter()
                                         .call(StepCall::WriteBlock)
                                         .text(temporary)
                                         .number(offset)
                                         .text(std::string_view(bytes.data(), bytes.size()))));
}

Status RemoteFileSteps::writeHole(const std::string& temporary, std::uint64_t offset,
                                  std::uint64_t length) {
    return ask(transport_, std::move(MessageWriter()
                                         .call(StepCall::WriteHole)
                                         .text(temporary)
                                         .number(offset)
                                         .number(length)));
}

Status RemoteFileSteps::finishTemporary(const std::string& temporary, const ContentFacts& facts,
                                        bool keepReadOnly) {
    return ask(transport_, std::move(MessageWriter()
                                         .call(StepCall::FinishTemporary)
                                         .text(temporary)
                                         .facts(facts)
                                         .flag(keepReadOnly)));
}

Status RemoteFileSteps::flushTemporary(const std::string& temporary) {
    return ask(transport_,
               std::move(MessageWriter().call(StepCall::FlushTemporary).text(temporary)));
}

Status RemoteFileSteps::renameIntoPlace(const std::string& temporary,
                                        const std::string& destination) {
    return ask(
        transport_,
        std::move(
            MessageWriter().call(StepCall::RenameIntoPlace).text(temporary).text(destination)));
}

void RemoteFileSteps::removeTemporary(const std::string& temporary) {
    (void)ask(transport_,
              std::move(MessageWriter().call(StepCall::RemoveTemporary).text(temporary)));
}

void RemoteFileSteps::letGo(const std::string& temporary) {
    (void)ask(transport_, std::move(MessageWriter().call(StepCall::LetGo).text(temporary)));
}

Status RemoteFileSteps::moveInOneStep(const std::string& from, const std::string& to) {
    return ask(transport_,
               std::move(MessageWriter().call(StepCall::MoveInOneStep).text(from).text(to)));
}

Result<KeptAside> RemoteFileSteps::keepAside(const std::string& destination) {
    KeptAside kept;
    const Status done =
        ask(transport_, std::move(MessageWriter().call(StepCall::KeepAside).text(destination)),
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
               std::move(MessageWriter().call(StepCall::PutBack).text(kept).text(destination)));
}

Status RemoteFileSteps::removeFile(const std::string& path, bool evenReadOnly) {
    return ask(transport_,
               std::move(MessageWriter().call(StepCall::RemoveFile).text(path).flag(evenReadOnly)));
}

void RemoteFileSteps::syncFolder(const std::string& folder) {
    (void)ask(transport_, std::move(MessageWriter().call(StepCall::SyncFolder).text(folder)));
}

void RemoteFileSteps::removeAbandonedTemporaries(const std::string& folder) {
    (void)ask(transport_,
              std::move(MessageWriter().call(StepCall::RemoveAbandonedTemporaries).text(folder)));
}

std::string answerStep(FileSteps& steps, std::string_view request) {
    MessageReader in(request);
    const auto call = static_cast<StepCall>(in.byte());
    MessageWriter out;
    // every argument is read before anything is done: a request that does not read whole is
    // carried out not at all
    const auto answer = [&](const Status& status) { return out.status(status).take(); };
    const auto done = [&](auto&& step) {
        step();
        return answer(Status::success());
    };
    switch (call) {
        case StepCall::CheckRemovable: {
            const std::string path = in.text();
            if (in.whole()) {
                return answer(steps.checkRemovable(path));
            }
            break;
        }
        case StepCall::CreateTemporary: {
            const std::string folder = in.text();
            if (in.whole()) {
                const auto made = steps.createTemporary(folder);
                out.status(made.status());
                return made.ok() ? out.text(made.value()).take() : out.take();
            }
            break;
        }
        case StepCall::WriteBlock: {
            const std::string temporary = in.text();
            const std::uint64_t offset = in.number();
            const std::string_view bytes = in.textView();
            if (in.whole()) {
                return answer(steps.writeBlock(temporary, offset,
                                               std::span<const char>(bytes.data(), bytes.size())));
            }
            break;
        }
        case StepCall::WriteHole: {
            const std::string temporary = in.text();
            const std::uint64_t offset = in.number();
            const std::uint64_t length = in.number();
            if (in.whole()) {
                return answer(steps.writeHole(temporary, offset, length));
            }
            break;
        }
        case StepCall::FinishTemporary: {
            const std::string temporary = in.text();
            const ContentFacts facts = in.facts();
            const bool keepReadOnly = in.flag();
            if (in.whole()) {
                return answer(steps.finishTemporary(temporary, facts, keepReadOnly));
            }
            break;
        }
        case StepCall::FlushTemporary: {
            const std::string temporary = in.text();
            if (in.whole()) {
                return answer(steps.flushTemporary(temporary));
            }
            break;
        }
        case StepCall::RenameIntoPlace: {
            const std::string temporary = in.text();
            const std::string destination = in.text();
            if (in.whole()) {
                return answer(steps.renameIntoPlace(temporary, destination));
            }
            break;
        }
        case StepCall::RemoveTemporary: {
            const std::string temporary = in.text();
            if (in.whole()) {
                return done([&] { steps.removeTemporary(temporary); });
            }
            break;
        }
        case StepCall::LetGo: {
            const std::string temporary = in.text();
            if (in.whole()) {
                return done([&] { steps.letGo(temporary); });
            }
            break;
        }
        case StepCall::MoveInOneStep: {
            const std::string from = in.text();
            const std::string to = in.text();
            if (in.whole()) {
                return answer(steps.moveInOneStep(from, to));
            }
            break;
        }
        case StepCall::KeepAside: {
            const std::string destination = in.text();
            if (in.whole()) {
                const auto kept = steps.keepAside(destination);
                out.status(kept.status());
                return kept.ok() ? out.text(kept.value().path).flag(kept.value().linked).take()
                                 : out.take();
            }
            break;
        }
        case StepCall::PutBack: {
            const std::string kept = in.text();
            const std::string destination = in.text();
            if (in.whole()) {
                return answer(steps.putBack(kept, destination));
            }
            break;
        }
        case StepCall::RemoveFile: {
            const std::string path = in.text();
            const bool evenReadOnly = in.flag();
            if (in.whole()) {
                return answer(steps.removeFile(path, evenReadOnly));
            }
            break;
        }
        case StepCall::SyncFolder: {
            const std::string folder = in.text();
            if (in.whole()) {
                return done([&] { steps.syncFolder(folder); });
            }
            break;
        }
        case StepCall::RemoveAbandonedTemporaries: {
            const std::string folder = in.text();
            if (in.whole()) {
                return done([&] { steps.removeAbandonedTemporaries(folder); });
            }
            break;
        }
    }
    return answer(brokenExchange());
}

}  // namespace zorvik::elevated
