' An error inside a handler is not trapped again: it ends the run with its line.
Sub Main
  On Error GoTo Handler
  x = 1 / 0
  Exit Sub
Handler:
  Print "in handler" ' expect: in handler
  y = Left("a", -1)
End Sub
' expect error: line 8: Invalid procedure call or argument
