# fish completion for ostrevo-cli: sub-commands, their options, files by extension, and the
# step names of `run` (asked from the tool itself, so they follow its version).

set -l commands info convert run search samples import-backup keys merge merge-copies
complete -c ostrevo-cli -f
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -l help -d 'Show the help'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -l version -d 'Show the version'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a info -d 'Titles, item counts and view state'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a convert -d 'Convert between the file kinds'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a run -d 'Replay editing steps'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a search -d 'Find documents in a library folder'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a samples -d 'Install the sample documents'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a import-backup -d 'Write a backup as document files'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a keys -d 'The key table'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a merge -d 'Merge two changed copies item by item'
complete -c ostrevo-cli -n "not __fish_seen_subcommand_from $commands" -a merge-copies -d 'Merge conflict copies into their documents'

function __ostrevo_cli_files
    set -l token (commandline -ct)
    __fish_complete_suffix $token .quenlith .json .opml .md .markdown .org .txt .html .htm
end

complete -c ostrevo-cli -n "__fish_seen_subcommand_from $commands" -l help -d 'Show the help'

complete -c ostrevo-cli -n '__fish_seen_subcommand_from info' -l json -d 'Print one JSON object'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from info convert' -a '(__ostrevo_cli_files)'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from convert' -l force -d 'Replace an existing OUT'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from convert' -l no-checks -d 'Mark only checked items in Markdown'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from convert' -l no-ids -d 'Write no id drawers in Org'

complete -c ostrevo-cli -n '__fish_seen_subcommand_from run' -l out -r -F -d 'Write the result to OUT'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from run' -l force -d 'Replace an existing OUT'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from run' -l hide-completed -d 'Hide completed items'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from run' -l no-checks -d 'The document hides its checks'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from run' -l state -d 'Print the editor state'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from run' -l steps -d 'List the step names'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from run' -a '(__fish_complete_suffix .quenlith)'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from run' -a '(ostrevo-cli run --steps 2>/dev/null)'

complete -c ostrevo-cli -n '__fish_seen_subcommand_from search samples' -a '(__fish_complete_directories)'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from import-backup' -a '(__fish_complete_suffix .json) (__fish_complete_directories)'

complete -c ostrevo-cli -n '__fish_seen_subcommand_from keys' -l return-while-typing -x -a 'finish finishAndAddNext' -d 'What Return does while typing'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from keys' -l no-tab-indents -d 'Tab does not indent'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from keys' -l no-return-edits -d 'Return does not edit'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from keys' -l resolve -x -d 'The action of a chord'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from keys' -l context -x -a 'outline editing note' -d 'The key context'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from keys' -l view -x -a 'list tree map' -d 'The view'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from keys' -l empty -d 'The edited text is empty'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from merge' -l out -r -a '(__fish_complete_suffix .quenlith) (__fish_complete_suffix .json)' -d 'Write the result to FILE'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from merge' -a '(__fish_complete_suffix .quenlith) (__fish_complete_suffix .json)'
complete -c ostrevo-cli -n '__fish_seen_subcommand_from merge-copies' -a '(__fish_complete_directories)'
