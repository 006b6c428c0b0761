// The MIDI sequencer device behind mciSendStringA: FluidSynth renders the
// piece with a General MIDI soundfont into the portable mixer, so music and
// wave sounds share one output.
#include <fluidsynth.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/portable/headless.h"
#include "platform/mci.h"
#include "platform/portable/dsound_mixer.h"
#include "platform/portable/state.h"

namespace plat {
namespace {

constexpr DWORD kDeviceId = 1;
constexpr long kMaxMidiFile = 16 * 1024 * 1024;

const char* const kSoundfonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",
};

struct Sequencer {
    // The synthesiser is made once and kept (loading the soundfont is slow).
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    bool synthFailed = false;

    // The open device (main thread).
    bool open = false;
    std::string alias;
    std::vector<BYTE> file;
    bool paused = false;
    HWND notifyWindow = nullptr;
    bool notifyPending = false;

    // Shared with the mixing thread: guarded by audio::Mutex().
    fluid_player_t* player = nullptr;
    bool playing = false;
    bool ended = false;  // the piece ended; its notification is not delivered yet
    bool atEnd = false;  // the position is the end of the piece

    std::vector<std::string> log;
};

// Never destroyed: the audio thread may still render while the process exits.
Sequencer& Q() {
    static Sequencer* q = new Sequencer;
    return *q;
}

void Render(void* context, float* left, float* right, int frames) {
    auto& q = *static_cast<Sequencer*>(context);
    fluid_synth_write_float(q.synth, frames, left, 0, 1, right, 0, 1);
    if (!q.playing || !q.player) return;
    // The piece ends with its last event (the end of its longest track); the
    // synthesiser's own player would go on until every note has died away.
    int total = fluid_player_get_total_ticks(q.player);
    if (fluid_player_get_status(q.player) == FLUID_PLAYER_DONE ||
        (total > 0 && fluid_player_get_current_tick(q.player) >= total)) {
        fluid_player_stop(q.player);
        q.playing = false;
        q.ended = true;
        q.atEnd = true;
    }
}

bool EnsureSynth(Sequencer& q) {
    if (q.synth) return true;
    if (q.synthFailed) return false;
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, nullptr, nullptr);
    q.settings = new_fluid_settings();
    fluid_settings_setnum(q.settings, "synth.sample-rate", audio::kMusicRate);
    fluid_settings_setnum(q.settings, "synth.gain", 0.5);
    fluid_settings_setint(q.settings, "synth.threadsafe-api", 0);  // guarded by the mixer's lock
    fluid_settings_setint(q.settings, "synth.cpu-cores", 1);
    fluid_settings_setint(q.settings, "synth.lock-memory", 0);
    // The player advances with the samples rendered, not with the wall clock,
    // so a piece keeps time with the output (and with the headless clock).
    fluid_settings_setstr(q.settings, "player.timing-source", "sample");
    q.synth = new_fluid_synth(q.settings);
    bool loaded = false;
    if (q.synth) {
        std::vector<std::string> candidates;
        if (const char* env = std::getenv("EL_SOUNDFONT"); env && *env) candidates.push_back(env);
        for (const char* path : kSoundfonts) candidates.push_back(path);
        for (const std::string& path : candidates) {
            if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
                std::fclose(f);
                if (fluid_synth_sfload(q.synth, path.c_str(), 1) != FLUID_FAILED) {
                    loaded = true;
                    break;
                }
            }
        }
    }
    if (!loaded) {
        if (q.synth) delete_fluid_synth(q.synth);
        delete_fluid_settings(q.settings);
        q.synth = nullptr;
        q.settings = nullptr;
        q.synthFailed = true;
        return false;
    }
    return true;
}

std::vector<std::string> Tokens(const char* command) {
    std::vector<std::string> out;
    const char* p = command;
    while (*p) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) break;
        std::string t;
        if (*p == '"') {
            ++p;
            while (*p && *p != '"') t += *p++;
            if (*p == '"') ++p;
        } else {
            while (*p && *p != ' ' && *p != '\t') t += *p++;
        }
        out.push_back(t);
    }
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void Notify(HWND window, WPARAM code) {
    if (window) PostMessageA(window, MM_MCINOTIFY, code, static_cast<LPARAM>(kDeviceId));
}

// A notify command still waiting is answered with `code` (aborted, superseded).
void CancelNotify(Sequencer& q, WPARAM code) {
    if (!q.notifyPending) return;
    q.notifyPending = false;
    Notify(q.notifyWindow, code);
}

void StopPlayer(Sequencer& q, bool rewind) {
    std::lock_guard lock(audio::Mutex());
    if (q.player) {
        fluid_player_stop(q.player);
        if (rewind) {
            delete_fluid_player(q.player);
            q.player = nullptr;
            q.atEnd = false;
        }
    }
    fluid_synth_all_sounds_off(q.synth, -1);
    q.playing = false;
    q.ended = false;
}

bool ReadFileBytes(const std::string& name, std::vector<BYTE>* out) {
    std::FILE* f = OpenFile(name.c_str(), "rb");
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && size <= kMaxMidiFile && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        out->resize(static_cast<std::size_t>(size));
        ok = std::fread(out->data(), 1, out->size(), f) == out->size();
    }
    std::fclose(f);
    return ok;
}

DWORD Open(Sequencer& q, const std::vector<std::string>& t) {
    if (t.size() < 2) return MCIERR_MISSING_PARAMETER;
    std::string type, alias = t[1];
    for (std::size_t i = 2; i < t.size(); ++i) {
        std::string k = Lower(t[i]);
        if ((k == "type" || k == "alias") && i + 1 < t.size()) {
            (k == "type" ? type : alias) = t[++i];
        } else if (k != "shareable" && k != "wait") {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }
    if (!type.empty() && Lower(type) != "sequencer") return MCIERR_INVALID_DEVICE_NAME;
    if (q.open) return Lower(alias) == Lower(q.alias) ? MCIERR_DUPLICATE_ALIAS : MCIERR_DEVICE_OPEN;
    std::vector<BYTE> bytes;
    if (!ReadFileBytes(t[1], &bytes)) return MCIERR_FILE_NOT_FOUND;
    if (bytes.size() < 14 || std::memcmp(bytes.data(), "MThd", 4) != 0) return MCIERR_INVALID_FILE;
    if (!EnsureSynth(q)) return MCIERR_CANNOT_LOAD_DRIVER;
    if (!audio::OpenOutput()) return MCIERR_HARDWARE;
    q.open = true;
    q.alias = alias;
    q.file = std::move(bytes);
    q.paused = false;
    q.notifyPending = false;
    {
        std::lock_guard lock(audio::Mutex());
        fluid_synth_system_reset(q.synth);
        q.player = nullptr;
        q.playing = false;
        q.ended = false;
        q.atEnd = false;
    }
    audio::SetMusic(Render, &q);
    return 0;
}

DWORD Play(Sequencer& q, bool notify, HWND callback) {
    CancelNotify(q, MCI_NOTIFY_SUPERSEDED);
    bool failed = false;
    {
        std::lock_guard lock(audio::Mutex());
        if (!q.player) {
            q.player = new_fluid_player(q.synth);
            if (!q.player || fluid_player_add_mem(q.player, q.file.data(), q.file.size()) != FLUID_OK) {
                if (q.player) delete_fluid_player(q.player);
                q.player = nullptr;
                failed = true;
            }
        }
        if (!failed) {
            if (q.atEnd) {
                // Played to the end and not rewound: the play ends at once.
                q.ended = true;
            } else if (fluid_player_play(q.player) == FLUID_OK) {
                q.playing = true;
                q.ended = false;
            } else {
                failed = true;
            }
        }
    }
    if (failed) return MCIERR_INVALID_FILE;
    q.paused = false;
    if (notify) {
        q.notifyWindow = callback;
        q.notifyPending = true;
    }
    return 0;
}

void Close(Sequencer& q) {
    CancelNotify(q, MCI_NOTIFY_ABORTED);
    StopPlayer(q, true);
    audio::SetMusic(nullptr, nullptr);
    audio::CloseOutput();
    q.open = false;
    q.alias.clear();
    q.file.clear();
}

DWORD Answer(const char* text, char* answer, UINT size) {
    if (!answer || size == 0) return 0;
    std::size_t n = std::min<std::size_t>(std::strlen(text), size - 1);
    std::memcpy(answer, text, n);
    answer[n] = 0;
    return 0;
}

DWORD Execute(const char* command, char* answer, UINT answerSize, HWND callback) {
    Sequencer& q = Q();
    std::vector<std::string> t = Tokens(command);
    if (t.empty()) return MCIERR_MISSING_COMMAND_STRING;
    std::string verb = Lower(t[0]);
    if (verb == "open") return Open(q, t);
    if (t.size() < 2) return MCIERR_MISSING_PARAMETER;
    if (!q.open || Lower(t[1]) != Lower(q.alias)) return MCIERR_INVALID_DEVICE_NAME;
    bool notify = false;
    std::vector<std::string> rest;
    for (std::size_t i = 2; i < t.size(); ++i) {
        std::string k = Lower(t[i]);
        if (k == "notify") notify = true;
        else if (k != "wait") rest.push_back(k);
    }
    DWORD result = 0;
    if (verb == "play" || verb == "resume") {
        if (!rest.empty()) return MCIERR_UNRECOGNIZED_KEYWORD;
        result = Play(q, notify, callback);
    } else if (verb == "stop" || verb == "pause") {
        if (!rest.empty()) return MCIERR_UNRECOGNIZED_KEYWORD;
        CancelNotify(q, MCI_NOTIFY_ABORTED);
        StopPlayer(q, false);
        q.paused = verb == "pause";
    } else if (verb == "seek") {
        if (rest.size() != 2 || rest[0] != "to" || rest[1] != "start") return MCIERR_UNRECOGNIZED_KEYWORD;
        CancelNotify(q, MCI_NOTIFY_ABORTED);
        StopPlayer(q, true);
        q.paused = false;
    } else if (verb == "close") {
        Close(q);
    } else if (verb == "status") {
        if (rest.size() != 1 || rest[0] != "mode") return MCIERR_UNRECOGNIZED_KEYWORD;
        bool playing;
        {
            std::lock_guard lock(audio::Mutex());
            playing = q.playing;
        }
        return Answer(playing ? "playing" : q.paused ? "paused" : "stopped", answer, answerSize);
    } else {
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
    // Commands other than status answer with an empty text.
    Answer("", answer, answerSize);
    if (result == 0 && notify && verb != "play" && verb != "resume") Notify(callback, MCI_NOTIFY_SUCCESSFUL);
    return result;
}

}  // namespace

DWORD mciSendStringA(const char* command, char* answer, UINT answerSize, HWND callback) {
    if (answer && answerSize > 0) answer[0] = 0;
    if (!command) return MCIERR_MISSING_COMMAND_STRING;
    if (portable::S().headless) Q().log.emplace_back(command);
    // Bring the device up to date first: a piece that has just ended reports
    // before anything else happens to it.
    portable::PollAudio();
    return Execute(command, answer, answerSize, callback);
}

namespace audio {

void DeliverMusicNotifications() {
    Sequencer& q = Q();
    if (!q.open) return;
    bool ended;
    {
        std::lock_guard lock(Mutex());
        ended = q.ended;
        q.ended = false;
    }
    if (ended && q.notifyPending) {
        q.notifyPending = false;
        Notify(q.notifyWindow, MCI_NOTIFY_SUCCESSFUL);
    }
}

}  // namespace audio

namespace headless {

std::vector<std::string> MciCommands() { return Q().log; }
void ClearMciCommands() { Q().log.clear(); }

}  // namespace headless
}  // namespace plat
