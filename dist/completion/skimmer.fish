# fish completion of skimmer. One option a line: the options of host/app/options.h (kOptions), with
# the same values; tests/dist checks that the two agree.
complete -c skimmer -f
complete -c skimmer -l manager -d 'Start with the panels only'
complete -c skimmer -l panel -d 'Start in the search-folder panel'
complete -c skimmer -l plugin -r -F -d 'Load this plug-in module and no other'
complete -c skimmer -s h -l help -d 'Show the help and exit'
complete -c skimmer -l version -d 'Show the version and exit'
