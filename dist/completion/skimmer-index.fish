# fish completion of skimmer-index. One option a line: the options of index/tool/command_line.h
# (kOptions), with the same values, and --kind's words are the query language's kind words;
# tests/dist checks that they agree.
complete -c skimmer-index -f
complete -c skimmer-index -l root -x -a '(__fish_complete_directories (commandline -ct))' -d 'Crawl this folder'
complete -c skimmer-index -l exclude -x -d 'Leave out the entries that match'
complete -c skimmer-index -l db -r -F -d 'The index file'
complete -c skimmer-index -l rebuild -d 'Build a new index beside the live one'
complete -c skimmer-index -l watch -d 'Refresh, then keep the index current'
complete -c skimmer-index -l store-only -d 'Update the database but not the name index'
complete -c skimmer-index -l names-only -d 'Rebuild only the name index'
complete -c skimmer-index -l stats -d 'Print the counts of the index'
complete -c skimmer-index -l query -x -d 'Print the hits of a query'
complete -c skimmer-index -l kind -x -a 'file mail unknown document picture music video program link favorite email calendar communication contact feed game instantmessage journal movie note playlist recordedtv searchfolder task webhistory' -d 'Only hits of this kind'
complete -c skimmer-index -l limit -x -d 'Stop after this many hits'
complete -c skimmer-index -s 0 -l null -d 'End each hit with NUL, written exactly'
complete -c skimmer-index -s h -l help -d 'Show the help and exit'
complete -c skimmer-index -l version -d 'Show the version and exit'
