# The same steps with Tk's widgets, for comparison: the 32768 strings made into a list, put
# one by one into a list box in sorted order, the text widget given the first 63999
# characters, a window with a text widget of 63999 characters shown and closed, the names of
# the files in FILES read into a list box. Prints "step milliseconds" like lists.tvs.
#   wish8.6 listbox.tcl FOLDER
set folder [lindex $argv 0]
proc ms {script} {
  set start [clock microseconds]
  uplevel 1 $script
  return [expr {([clock microseconds] - $start) / 1000}]
}
set items {}
puts "addstring [ms {
  for {set i 0} {$i < 32768} {incr i} { lappend items "Eintrag [expr {($i * 7919) % 32768}]" }
}]"
listbox .list
pack .list
update
puts "movelisttolist [ms {
  foreach item [lsort $items] { .list insert end $item }
  update
}]"
text .edit
pack .edit
puts "movelisttoedit [ms {
  .edit insert end [string range [join $items "\r\n"] 0 63998]
  update
}]"
set long {}
for {set i 0} {$i < 250} {incr i} { lappend long [string repeat x 253] }
lappend long [string repeat y 249]
puts "editbox [ms {
  toplevel .dialog
  text .dialog.text
  pack .dialog.text
  .dialog.text insert end [join $long "\r\n"]
  update
  destroy .dialog
  update
}]"
listbox .files
puts "addfiles [ms {
  foreach name [lsort [glob -nocomplain -tails -directory [file join $folder FILES] *]] {
    .files insert end $name
  }
}]"
exit
