Sub Helper
End Sub
' expect error: line 1: the script has no Sub Main
