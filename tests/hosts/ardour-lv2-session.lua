-- Run by ardour-lv2-session.sh through ardour7-lua: a session on the Dummy
-- backend with the LV2 plug-in on a stereo track, saved, closed and loaded again.
-- The session folder comes in the environment (MORVANE3_SESSION), the URI too.
local folder = os.getenv ("MORVANE3_SESSION")
local uri = os.getenv ("MORVANE3_LV2_URI")
AudioEngine:set_backend ("None (Dummy)", "", "")
AudioEngine:start ()
local s = create_session (folder, "lv2", 48000)
assert (s, "no session")
local track = s:new_audio_track (2, 2, nil, 1, "Cabinet", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front ()
local plugin = ARDOUR.LuaAPI.new_plugin (s, uri, ARDOUR.PluginType.LV2, "")
assert (not plugin:isnil (), "Ardour cannot make the LV2 plug-in")
track:add_processor_by_index (plugin, 0, nil, true)
s:save_state ("", false, false, false, false, false)
close_session ()

local loaded = load_session (folder, "lv2")
assert (loaded, "the session did not load")
local found = false
for route in loaded:get_routes ():iter () do
  local i = 0
  while not route:nth_plugin (i):isnil () do
    if route:nth_plugin (i):display_name () == "Morvane 3" then found = true end
    i = i + 1
  end
end
close_session ()
assert (found, "the loaded session has lost the plug-in")
print ("MORVANE3: the LV2 session loaded with the plug-in")
