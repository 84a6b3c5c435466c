Sub Main
10 Print "x"
End Sub
' expect error: line 2: a line number label is not supported
