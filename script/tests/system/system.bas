' Environment, Shell, Wait, Sleep, Beep, DoEvents.
Sub Main
  Print Len(Environ("RUNVANE_HOME")) > 0 ' expect: True
  Print Environ("RUNVANE_NO_SUCH_VARIABLE") = "" ' expect: True
  Dim t: t = Timer
  Wait 0.05
  Sleep 20
  Print Timer - t >= 0.06 ' expect: True
  Beep
  DoEvents
  Dim marker: marker = Environ("RUNVANE_HOME") & "/shell_marker"
  Dim pid: pid = Shell("touch '" & marker & "'")
  Print pid > 0 ' expect: True
  For i = 1 To 200
    If Dir(marker) <> "" Then Exit For
    Sleep 10
  Next
  Print Dir(marker) ' expect: shell_marker
  Kill marker
End Sub
