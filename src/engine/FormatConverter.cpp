#include "FormatConverter.h"

#include "Mp3Encoder.h"
#include "SoxLibrary.h"

#include <sox.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

constexpr auto kWaitSleep = std::chrono::milliseconds(1);

// What the chain's own effects work on. Each effect's private data holds a pointer to it.
struct ChainContext {
    CConversionTask* job;
    BatchHost* host;
    SampleRing* input;
    SampleRing* output;
};

ChainContext& ContextOf(sox_effect_t* effect)
{
    return **static_cast<ChainContext**>(effect->priv);
}

// First effect: hands libsox whole frames from the decoded ring.
int InputDrain(sox_effect_t* effect, sox_sample_t* out, size_t* count)
{
    ChainContext& ctx = ContextOf(effect);
    const size_t channels = effect->out_signal.channels ? effect->out_signal.channels : 1;
    const auto wanted = std::uint32_t(*count - *count % channels);
    while (ctx.host->m_running.load()) {
        // Once the decoder has finished, whatever the ring holds now is the rest of the stream.
        if (ctx.input->Available() >= wanted || !ctx.job->decoderRunning.load()) {
            *count = ctx.input->Read(out, wanted);
            return *count > 0 ? SOX_SUCCESS : SOX_EOF;
        }
        std::this_thread::sleep_for(kWaitSleep);
    }
    *count = 0;
    return SOX_EOF;
}

// Last effect: puts each block that reaches the end of the chain into the converted ring.
int OutputFlow(sox_effect_t* effect, const sox_sample_t* in, sox_sample_t*, size_t* inCount, size_t* outCount)
{
    ChainContext& ctx = ContextOf(effect);
    *outCount = 0;
    const auto n = std::uint32_t(*inCount);
    while (ctx.host->m_running.load()) {
        if (ctx.output->FreeSpace() >= n)
            return ctx.output->Write(in, n) == n ? SOX_SUCCESS : SOX_EOF;
        std::this_thread::sleep_for(kWaitSleep);
    }
    return SOX_EOF;
}

const sox_effect_handler_t kInputHandler = {"input", nullptr, SOX_EFF_MCHAN, nullptr, nullptr,
                                            nullptr, InputDrain, nullptr, nullptr, sizeof(ChainContext*)};
const sox_effect_handler_t kOutputHandler = {"output", nullptr, SOX_EFF_MCHAN, nullptr, nullptr,
                                             OutputFlow, nullptr, nullptr, nullptr, sizeof(ChainContext*)};

// Owns the chain; deletes it on every path.
struct ChainOwner {
    sox_effects_chain_t* chain = nullptr;
    ~ChainOwner()
    {
        if (chain)
            sox_delete_effects_chain(chain);
    }
};

// Adds one effect: one of ours (with the context) or a built-in one with a numeric option.
bool AddEffect(sox_effects_chain_t* chain, const sox_effect_handler_t* handler, ChainContext* context,
               int option, sox_signalinfo_t* running, const sox_signalinfo_t* target)
{
    if (!handler)
        return false;
    sox_effect_t* effect = sox_create_effect(handler);
    if (!effect)
        return false;
    bool ok = true;
    if (context) {
        *static_cast<ChainContext**>(effect->priv) = context;
    } else {
        char text[16];
        std::snprintf(text, sizeof text, "%d", option);
        char* argv[] = {text};
        ok = sox_effect_options(effect, 1, argv) == SOX_SUCCESS;
    }
    ok = ok && sox_add_effect(chain, effect, running, target) == SOX_SUCCESS;
    std::free(effect); // the chain keeps its own copy; the private data belongs to it
    return ok;
}

} // namespace

bool ConvertFormat(CConversionTask& job, BatchHost& host, JobStages& stages)
{
    SoxMessageRoute route(host);
    job.converterRunning.store(1);
    bool built = false;
    bool ok = false;
    try {
        ChainContext context{&job, &host, &stages.decodedRing, stages.convertedRing.get()};
        sox_encodinginfo_t encoding{};
        encoding.encoding = SOX_ENCODING_SIGN2;
        encoding.bits_per_sample = 32;
        const sox_encodinginfo_t outputEncoding = encoding;
        sox_signalinfo_t running{double(job.sourceSampleRate), job.sourceChannels, 32, SOX_UNKNOWN_LEN, nullptr};
        const sox_signalinfo_t target = running;

        ChainOwner owner;
        owner.chain = sox_create_effects_chain(&encoding, &outputEncoding);
        built = owner.chain && AddEffect(owner.chain, &kInputHandler, &context, 0, &running, &running);
        if (built && job.outputChannels != job.sourceChannels)
            built = AddEffect(owner.chain, sox_find_effect("channels"), nullptr, int(job.outputChannels), &running,
                              &target);
        if (built && job.outputSampleRate != job.sourceSampleRate)
            built = AddEffect(owner.chain, sox_find_effect("rate"), nullptr, int(job.outputSampleRate), &running,
                              &target);
        built = built && AddEffect(owner.chain, &kOutputHandler, &context, 0, &running, &target);
        // The chain must deliver exactly what the encoder is set up for.
        built = built && running.channels == job.outputChannels && running.rate == double(job.outputSampleRate);

        if (built) {
            stages.encoderThread = std::thread([&job, &host] { EncoderThreadMain(job, host); });
            const int flowed = sox_flow_effects(owner.chain, nullptr, nullptr);
            // Our own effects end the flow with SOX_EOF when the batch stops; only a flow
            // that fails while the batch still runs is an error of this stage.
            ok = flowed == SOX_SUCCESS || !host.m_running.load();
        }
    } catch (...) {
        ok = false;
    }
    if (!ok) {
        host.m_running.store(0);
        PostLogLine(host, QStringLiteral("An error occurred while processing audio data"), LOG_ERROR);
    }
    job.converterRunning.store(0);
    return ok;
}
