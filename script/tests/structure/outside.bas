Dim x
x = 5
Sub Main
End Sub
' expect error: line 2: statements must be inside a Sub or Function (found 'x')
