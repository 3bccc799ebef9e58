# fish completion for qvl: its commands, the options of each, catalogue files
# (*.qvl in any letter case) and, for list, the drive letters that `qvl drives`
# prints.

# True when the word being completed is argument number $argv[1] (from 1) of the
# command; options and their values are not counted.
function __qvl_argument
    set -l words (commandline -opc)
    set -l count 0
    set -l skip 0
    for word in $words[3..-1]
        if test $skip -eq 1
            set skip 0
        else if string match -qr -- '^(-o|--output|--method|--comment|--margin|--map|--label|--if-exists|--sort|--min-size|--max-size|--newer|--older|--ext|--against|--depth|--format)$' $word
            set skip 1
        else if not string match -q -- '-*' $word
            set count (math $count + 1)
        end
    end
    test $skip -eq 0 -a (math $count + 1) -eq $argv[1]
end

# Catalogues, and folders to find them in.
function __qvl_catalogues
    set -l token (commandline -ct)
    for name in $token*
        if test -d $name
            echo $name/
        else if string match -qi -- '*.qvl' $name
            echo $name
        end
    end
end

# The letters of `qvl drives`, with their colons.
function __qvl_drives
    command -q qvl; and qvl drives 2>/dev/null | string replace -r -- '\t.*' ''
end

# --map L=DIR: the folder after the letter.
function __qvl_map
    set -l token (commandline -ct)
    string match -qr -- '^[a-zA-Z]:?=' $token; or return
    set -l letter (string replace -r -- '=.*' '=' $token)
    for name in (string replace -r -- '^[^=]*=' '' $token)*/
        echo $letter$name
    end
end

set -l commands drives list merge info ls find search index tree diff dupes unique du export
complete -c qvl -f
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -s h -l help -d 'Print the commands and their options'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -l version -d 'Print the name and version'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a drives -d 'Print the drives of this machine'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a list -d 'List a drive into a catalogue or a plain list'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a merge -d 'Merge one catalogue into another'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a info -d 'Print what a catalogue holds'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a ls -d 'Print the rows of one folder of a catalogue'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a find -d 'Find entries in one catalogue'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a search -d 'Find entries in catalogues'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a tree -d 'Write a catalogue out as a plain list'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a diff -d 'What changed from one catalogue to another'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a dupes -d 'Files kept more than once across catalogues'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a unique -d 'Files of a catalogue no other one holds'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a du -d 'Folder totals of a catalogue, largest first'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a index -d 'Build the search indexes of catalogues'
complete -c qvl -n "not __fish_seen_subcommand_from $commands" -a export -d 'Every entry as JSON Lines, CSV or ncdu format'

complete -c qvl -n "__fish_seen_subcommand_from drives list" -l map -x -a '(__qvl_map)' -d 'For this run drive L is the folder DIR (L=DIR)'

complete -c qvl -n "__fish_seen_subcommand_from list" -s o -l output -r -F -d 'The catalogue or plain list to write'
complete -c qvl -n "__fish_seen_subcommand_from list" -l method -x -a 'qvl collapsed folders filenames' -d 'A catalogue, or a plain-list style'
complete -c qvl -n "__fish_seen_subcommand_from list" -l no-sizes -d 'Catalogue entries without file sizes'
complete -c qvl -n "__fish_seen_subcommand_from list" -l hash -d 'Keep each file\'s content hash in the companion'
complete -c qvl -n "__fish_seen_subcommand_from list" -l no-index -d 'Build no search index of the catalogue written'
complete -c qvl -n "__fish_seen_subcommand_from ls find search" -l dates -d 'Add each entry\'s modification time'
complete -c qvl -n "__fish_seen_subcommand_from find search" -l newer -x -d 'Entries modified after DATE'
complete -c qvl -n "__fish_seen_subcommand_from find search" -l older -x -d 'Entries modified before DATE'
complete -c qvl -n "__fish_seen_subcommand_from find search" -l max-size -x -d 'Files of at most N bytes (K M G T)'
complete -c qvl -n "__fish_seen_subcommand_from find search" -l ext -x -d 'Files with one of the extensions (jpg,png)'
complete -c qvl -n "__fish_seen_subcommand_from list merge" -l comment -x -d 'One comment line; up to four'
complete -c qvl -n "__fish_seen_subcommand_from list tree" -l margin -x -d 'Width of plain-list lines, 0 to 255'
complete -c qvl -n "__fish_seen_subcommand_from list" -l label -x -d 'The volume label of the --map drive'
complete -c qvl -n "__fish_seen_subcommand_from list" -l if-exists -x -a 'fail overwrite append' -d 'What to do when the output exists'
complete -c qvl -n "__fish_seen_subcommand_from list; and __qvl_argument 1" -a '(__qvl_drives)' -d Drive

complete -c qvl -n "__fish_seen_subcommand_from ls" -l sort -x -a 'name size path archive bytes' -d 'The order of the rows'
complete -c qvl -n "__fish_seen_subcommand_from tree" -l method -x -a 'collapsed folders filenames' -d 'The plain-list style'

complete -c qvl -n "__fish_seen_subcommand_from dupes unique find search" -l min-size -x -d 'The least size of a copy (K M G T)'
complete -c qvl -n "__fish_seen_subcommand_from unique" -l against -x -a '(__qvl_catalogues)' -d 'A catalogue to look in'
complete -c qvl -n "__fish_seen_subcommand_from du" -l depth -x -d 'Levels of folders below FOLDER'
complete -c qvl -n "__fish_seen_subcommand_from find search" -l no-index -d 'Read the whole catalogue, not what its index points to'
complete -c qvl -n "__fish_seen_subcommand_from index" -l status -d 'Say whether each index is fresh, stale or missing'
complete -c qvl -n "__fish_seen_subcommand_from export" -l format -x -a 'jsonl csv ncdu' -d 'The format to write'

complete -c qvl -n "__fish_seen_subcommand_from info ls find tree merge diff unique du export; and __qvl_argument 1" -a '(__qvl_catalogues)'
complete -c qvl -n "__fish_seen_subcommand_from diff; and __qvl_argument 2" -a '(__qvl_catalogues)'
complete -c qvl -n "__fish_seen_subcommand_from dupes index" -a '(__qvl_catalogues)'
complete -c qvl -n "__fish_seen_subcommand_from merge; and __qvl_argument 2" -a '(__qvl_catalogues)'
complete -c qvl -n "__fish_seen_subcommand_from search; and not __qvl_argument 1" -a '(__qvl_catalogues)'
