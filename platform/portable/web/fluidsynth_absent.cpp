// No synthesiser in the browser build: the page would otherwise carry an
// LGPL synthesiser and a soundfont of several megabytes. Every constructor
// fails, so the MIDI device answers as on a machine without one, and the
// other calls, never reached with a null synthesiser, do nothing.
#include <fluidsynth.h>

fluid_log_function_t fluid_set_log_function(int, fluid_log_function_t, void*) { return nullptr; }
fluid_settings_t* new_fluid_settings(void) { return nullptr; }
void delete_fluid_settings(fluid_settings_t*) {}
int fluid_settings_setnum(fluid_settings_t*, const char*, double) { return FLUID_FAILED; }
int fluid_settings_setint(fluid_settings_t*, const char*, int) { return FLUID_FAILED; }
int fluid_settings_setstr(fluid_settings_t*, const char*, const char*) { return FLUID_FAILED; }
fluid_synth_t* new_fluid_synth(fluid_settings_t*) { return nullptr; }
void delete_fluid_synth(fluid_synth_t*) {}
int fluid_synth_sfload(fluid_synth_t*, const char*, int) { return FLUID_FAILED; }
int fluid_synth_write_float(fluid_synth_t*, int, void*, int, int, void*, int, int) { return FLUID_FAILED; }
int fluid_synth_all_sounds_off(fluid_synth_t*, int) { return FLUID_FAILED; }
int fluid_synth_system_reset(fluid_synth_t*) { return FLUID_FAILED; }
fluid_player_t* new_fluid_player(fluid_synth_t*) { return nullptr; }
void delete_fluid_player(fluid_player_t*) {}
int fluid_player_add_mem(fluid_player_t*, const void*, std::size_t) { return FLUID_FAILED; }
int fluid_player_play(fluid_player_t*) { return FLUID_FAILED; }
int fluid_player_stop(fluid_player_t*) { return FLUID_FAILED; }
int fluid_player_get_status(fluid_player_t*) { return FLUID_PLAYER_DONE; }
int fluid_player_get_current_tick(fluid_player_t*) { return 0; }
int fluid_player_get_total_ticks(fluid_player_t*) { return 0; }
