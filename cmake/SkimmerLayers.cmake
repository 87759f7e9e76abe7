# The layer table: each top-level folder and the folders its code may #include (besides itself).
# README's Architecture section shows the same table; tests/layering checks every #include against
# it. far/ and os/ sit at the bottom; host/ is the terminal host and sees only far/ and os/; lng/
# holds the message numbers that every plug-in folder may include. The data a search produces
# (results/) and the engines that produce it sit below the dialog toolkit: a data source never
# depends on UI code. Folders listed here that do not exist yet add themselves (with their
# CMakeLists.txt) when they are created.
set(SKIMMER_LAYERS far os mail index platform config results engines dialogs settings search panel plugin lng host)

set(SKIMMER_LAYER_far "")
set(SKIMMER_LAYER_os "")
# mail/: mail parsing, shared by the index and the plug-in, on os/ alone.
set(SKIMMER_LAYER_mail os)
set(SKIMMER_LAYER_index mail os)
set(SKIMMER_LAYER_lng "")
set(SKIMMER_LAYER_platform far mail os lng)
set(SKIMMER_LAYER_config platform far mail os lng)
set(SKIMMER_LAYER_results config platform far mail os lng)
# engines/: the index engine reaches the index only through the desktop search seam of os/.
set(SKIMMER_LAYER_engines results config platform far mail os lng)
set(SKIMMER_LAYER_dialogs config platform far mail os lng)
set(SKIMMER_LAYER_settings engines results dialogs config platform index far mail os lng)
set(SKIMMER_LAYER_search settings engines results dialogs config platform index far mail os lng)
set(SKIMMER_LAYER_panel search settings engines results dialogs config platform index far mail os lng)
set(SKIMMER_LAYER_plugin panel search settings engines results dialogs config platform index far mail os lng)
set(SKIMMER_LAYER_host far os)
